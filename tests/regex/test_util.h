// Shared helpers of the regex tests: every engine configuration, readable bytes, and Perl as the oracle.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "regex_exec.h"

namespace bregexp_test {

using E = bregexp::MatchOptions::Engine;
using bregexp::MatchOptions;

// Prefilter + DFA with fallback, DFA alone, a DFA cache so small that every new state clears it,
// the DFA handing over to the NFA after thrashing, and the NFA with and without the closures
// resolved at compile time: each must give the same answer.
inline const std::pair<const char*, MatchOptions> kConfigs[] = {
    {"auto", {E::kAuto, size_t(4) << 20, true, true}},  {"dfa", {E::kDfaOnly, size_t(4) << 20, false, true}},
    {"dfa-tiny-cache", {E::kDfaOnly, 1, false, true}}, {"dfa-thrash-to-nfa", {E::kAuto, 1, false, true}},
    {"nfa", {E::kNfaOnly, 0, false, true}},            {"nfa-walking", {E::kNfaOnly, 0, false, false}}};

// gtest writes the bytes of a cp932 string that are not printable ASCII as escapes.
inline std::string Show(const std::string& bytes) { return testing::PrintToString(bytes); }

inline bregexp::Program MustCompile(const std::string& expression) {
  bregexp::Program program;
  bregexp::ParseError error;
  EXPECT_TRUE(bregexp::CompileExpression(expression, &program, &error))
      << Show(expression) << ": " << error.what << " at " << error.offset;
  return program;
}

// On agreement of all configurations stores the answer; otherwise names those that disagree.
inline testing::AssertionResult EnginesAgree(const bregexp::Program& program, const std::string& subject,
                                             bool* answer) {
  const auto* begin = reinterpret_cast<const unsigned char*>(subject.data());
  std::string disagreement;
  for (const auto& [name, options] : kConfigs) {
    const bool result = bregexp::Match(program, begin, begin + subject.size(), options);
    if (name == kConfigs[0].first) *answer = result;
    if (result != *answer) disagreement += std::string(name) + " says " + (result ? "1" : "0") + "; ";
  }
  if (disagreement.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << disagreement << "auto says " << *answer << " on " << Show(subject);
}

// The expression is m'...'flags, /.../flags or a bare pattern, in cp932.
struct OracleCase { std::string expression; std::vector<std::string> subjects; };

// Perl's answers to all cases in one run: per case "C" or "E" (compiled or not), then one verdict per subject.
inline std::vector<std::string> AskPerl(const std::vector<OracleCase>& cases) {
  std::ostringstream base;
  base << (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") << "/bregexp-oracle-" << ::getpid();
  const std::string in_path = base.str() + ".in", out_path = base.str() + ".out";
  auto hex = [](const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
  };
  {
    std::ofstream in(in_path, std::ios::binary);
    for (const OracleCase& c : cases) {
      in << "P " << hex(c.expression) << '\n';
      for (const std::string& s : c.subjects) in << "S " << hex(s) << '\n';
    }
  }
  const std::string command = std::string(BREGEXP_PERL) + " " + BREGEXP_ORACLE + " " + in_path + " " + out_path;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<std::string> answers;
  std::ifstream out(out_path);
  std::string line;
  for (const OracleCase& c : cases) {
    std::string answer;
    for (size_t k = 0; k <= c.subjects.size() && std::getline(out, line); ++k) answer += line;
    answers.push_back(answer);
  }
  std::remove(in_path.c_str());
  std::remove(out_path.c_str());
  return answers;
}

// Every configuration against Perl on every case; Perl must compile each pattern. Reports at
// most 20 disagreements, each with the pattern and subject that show it.
inline void ExpectAgreementWithPerl(const std::vector<OracleCase>& cases) {
  const std::vector<std::string> answers = AskPerl(cases);
  int failures = 0;
  for (size_t i = 0; i < cases.size() && failures < 20; ++i) {
    const OracleCase& c = cases[i];
    bregexp::Program program;
    bregexp::ParseError error;
    const bool perl_compiled = answers[i].size() == c.subjects.size() + 1 && answers[i][0] == 'C';
    if (!perl_compiled || !bregexp::CompileExpression(c.expression, &program, &error)) {
      ADD_FAILURE() << Show(c.expression) << (perl_compiled ? " rejected: " + error.what : " not compiled by Perl");
      ++failures;
      continue;
    }
    for (size_t k = 0; k < c.subjects.size() && failures < 20; ++k) {
      bool ours = false;
      const testing::AssertionResult agree = EnginesAgree(program, c.subjects[k], &ours);
      if (!agree || ours != (answers[i][k + 1] == '1')) {
        ADD_FAILURE() << Show(c.expression) << " on " << Show(c.subjects[k]) << ": Perl says " << answers[i][k + 1]
                      << "; " << agree.message() << " ours " << ours;
        ++failures;
      }
    }
  }
}

}  // namespace bregexp_test
