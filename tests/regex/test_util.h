// Shared helpers of the regex tests: every engine configuration, readable bytes, and Perl as the oracle.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "regex_exec.h"
#include "sjis.h"

using E = bregexp::MatchOptions::Engine;
using bregexp::MatchOptions;

// 表 ー － ＋ ／ ア ヂ, whose trail bytes are \ [ | { ^ A a, and the full-width letters Ａ ａ.
const std::string kHyo = "\x95\x5C", kLong = "\x81\x5B", kMinus = "\x81\x7C", kPlus = "\x81\x7B", kSlash = "\x81\x5E";
const std::string kKanaA = "\x83\x41", kKanaDi = "\x83\x61", kWideA = "\x82\x60", kWideLowA = "\x82\x81";

// Prefilter + DFA with fallback, DFA alone, a DFA cache so small that every new state clears it,
// the DFA handing over to the NFA after thrashing, and the NFA with and without the closures
// resolved at compile time: each must give the same answer.
inline const std::pair<const char*, MatchOptions> kConfigs[] = {
    {"auto", {E::kAuto, size_t(4) << 20, true, true}},  {"dfa", {E::kDfaOnly, size_t(4) << 20, false, true}},
    {"dfa-tiny-cache", {E::kDfaOnly, 1, false, true}}, {"dfa-thrash-to-nfa", {E::kAuto, 1, false, true}},
    {"nfa", {E::kNfaOnly, 0, false, true}},            {"nfa-walking", {E::kNfaOnly, 0, false, false}}};

// gtest writes the bytes of a cp932 string that are not printable ASCII as escapes.
inline std::string Show(const std::string& bytes) { return testing::PrintToString(bytes); }
inline const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

inline std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  while (times-- > 0) out += piece;
  return out;
}

inline bregexp::Program MustCompile(const std::string& expression) {
  bregexp::Program program;
  bregexp::ParseError error;
  EXPECT_TRUE(bregexp::CompileExpression(expression, &program, &error))
      << Show(expression) << ": " << error.what << " at " << error.offset;
  return program;
}

// Whether every configuration (or only the first, the library's own) gives the expected answer
// (1 or 0; -1 for the first configuration's answer) within `work_bound` units of work per subject
// byte and program instruction; a failure names each configuration's answer and work.
inline testing::AssertionResult EnginesSay(const bregexp::Program& program, const std::string& subject, int expected,
                                           bool every_configuration = true, double work_bound = 24) {
  std::string answers;
  bool wrong = false;
  for (const auto& [name, configuration] : kConfigs) {
    size_t work = 0;
    MatchOptions options = configuration;
    options.work = &work;
    const int result = bregexp::Match(program, Bytes(subject), Bytes(subject) + subject.size(), options);
    if (expected < 0) expected = result;
    wrong |= result != expected || double(work) > work_bound * double(program.insts.size() * (subject.size() + 2));
    answers += std::string(name) + " says " + std::to_string(result) + " in " + std::to_string(work) + " units; ";
    if (!every_configuration) break;
  }
  if (!wrong) return testing::AssertionSuccess();
  return testing::AssertionFailure() << answers << "expected " << expected << " on " << Show(subject.substr(0, 200));
}

// The expression is m<d>...<d>flags, /.../flags or a bare pattern, in cp932.
struct OracleCase { std::string expression; std::vector<std::string> subjects; };

// Each pattern under each flag set, with the / delimiter and with ', which interpolates nothing.
inline void AddForms(std::vector<OracleCase>& cases, const std::string& pattern, std::vector<const char*> flag_sets,
                     const std::vector<std::string>& subjects, bool slash = true) {
  for (const char* flags : flag_sets) {
    if (slash) cases.push_back({"m/" + pattern + "/" + flags, subjects});
    cases.push_back({"m'" + pattern + "'" + flags, subjects});
  }
}

// Every configuration (or only the library's own) against Perl on every case, in one run of Perl:
// what Perl compiles the library compiles and matches alike, and what Perl rejects the library
// rejects. Reports at most 20 disagreements, each with the pattern and subject that show it.
inline void ExpectAgreementWithPerl(const std::vector<OracleCase>& cases, bool every_configuration = true) {
  const std::string base = testing::TempDir() + "bregexp-oracle-" + std::to_string(::getpid());
  std::ofstream in(base + ".in", std::ios::binary);
  const char* const digits = "0123456789abcdef";
  for (const OracleCase& c : cases) {
    for (size_t k = 0; k <= c.subjects.size(); ++k) {
      in << (k ? "S " : "P ");
      for (unsigned char b : k ? c.subjects[k - 1] : c.expression) in << digits[b >> 4] << digits[b & 15];
      in << '\n';
    }
  }
  in.close();
  const std::string command = std::string(BREGEXP_PERL) + " " + BREGEXP_ORACLE + " " + base + ".in " + base + ".out";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream out(base + ".out");
  std::string verdict;
  int failures = 0;
  // Perl answers "C" or "E" (compiled or not) per case, then "1" or "0" per subject.
  for (const OracleCase& c : cases) {
    bregexp::Program program;
    bregexp::ParseError error;
    const bool perl_compiled = std::getline(out, verdict) && verdict == "C";
    const bool compiled = bregexp::CompileExpression(c.expression, &program, &error);
    if (compiled != perl_compiled && failures++ < 20) {
      ADD_FAILURE() << Show(c.expression)
                    << (perl_compiled ? " rejected: " + error.what : " accepted, but Perl rejects it");
    }
    for (const std::string& subject : c.subjects) {
      if (!std::getline(out, verdict) || !compiled || !perl_compiled || failures >= 20) continue;
      const testing::AssertionResult agree = EnginesSay(program, subject, verdict == "1", every_configuration);
      if (!agree) ADD_FAILURE() << Show(c.expression) << " (Perl says " << verdict << "): " << agree.message();
      failures += !agree;
    }
  }
  for (const char* suffix : {".in", ".out"}) std::remove((base + suffix).c_str());
}
