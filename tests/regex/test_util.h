// Shared helpers for the regex tests: every engine configuration, and the Perl oracle.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex_exec.h"

namespace bregexp_test {

struct EngineConfig {
  const char* name;
  bregexp::MatchOptions options;
};

// Prefilter + DFA with fallback, DFA alone, DFA with a cache so small that
// every new state clears it, DFA handing over to the NFA after thrashing, NFA
// alone with and without the precomputed closures.
const std::vector<EngineConfig>& EngineConfigs();

// Printable form of cp932 bytes for failure messages.
std::string Show(const std::string& bytes);

// Compiles or fails the current test with the parser's message.
bregexp::Program MustCompile(const std::string& expression);

// Runs every configuration; on agreement stores the answer, otherwise names
// the configurations that disagree.
testing::AssertionResult EnginesAgree(const bregexp::Program& program, const std::string& subject, bool* answer);

struct OracleCase {
  std::string expression;  // m'...'flags, cp932
  std::vector<std::string> subjects;
};

struct OracleAnswer {
  bool compiled = false;
  std::vector<bool> matches;
};

// Asks Perl about all cases in one run.
std::vector<OracleAnswer> AskPerl(const std::vector<OracleCase>& cases);

// A hand-written case; its expectation is checked against Perl as well.
struct Row {
  std::string expression;
  std::string subject;
  bool expected;
};

// Checks each row in every engine configuration; failures name the row.
void CheckRows(const std::vector<Row>& rows);

// Checks that Perl agrees with each row's expectation.
void CheckRowsAgainstPerl(const std::vector<Row>& rows);

// Compares every engine configuration with Perl on every case; reports up to
// a few disagreements with the pattern and subject that show them.
void ExpectAgreementWithPerl(const std::vector<OracleCase>& cases);

}  // namespace bregexp_test
