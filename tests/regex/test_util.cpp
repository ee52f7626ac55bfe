// Shared helpers for the regex tests: every engine configuration, and the Perl oracle.
#include "test_util.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace bregexp_test {

using bregexp::MatchOptions;

namespace {

MatchOptions Options(MatchOptions::Engine engine, size_t cache, bool prefilter, bool flat = true) {
  MatchOptions options;
  options.use_flat_closures = flat;
  options.engine = engine;
  options.dfa_cache_bytes = cache;
  options.use_prefilter = prefilter;
  return options;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 15]);
  }
  return out;
}

std::string TempPath(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  std::ostringstream path;
  path << (dir ? dir : "/tmp") << "/bregexp-oracle-" << ::getpid() << suffix;
  return path.str();
}

}  // namespace

const std::vector<EngineConfig>& EngineConfigs() {
  using E = MatchOptions::Engine;
  static const std::vector<EngineConfig> configs = {
      {"auto", Options(E::kAuto, size_t(4) << 20, true)},
      {"dfa", Options(E::kDfaOnly, size_t(4) << 20, false)},
      {"dfa-tiny-cache", Options(E::kDfaOnly, 1, false)},
      {"dfa-thrash-to-nfa", Options(E::kAuto, 1, false)},
      {"nfa", Options(E::kNfaOnly, 0, false)},
      {"nfa-walking", Options(E::kNfaOnly, 0, false, false)},
  };
  return configs;
}

std::string Show(const std::string& bytes) {
  std::string out;
  char buf[8];
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(char(c));
    } else {
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

bregexp::Program MustCompile(const std::string& expression) {
  bregexp::Program program;
  bregexp::ParseError error;
  EXPECT_TRUE(bregexp::CompileExpression(expression, &program, &error))
      << Show(expression) << ": " << error.what << " at " << error.offset;
  return program;
}

testing::AssertionResult EnginesAgree(const bregexp::Program& program, const std::string& subject, bool* answer) {
  const auto* begin = reinterpret_cast<const unsigned char*>(subject.data());
  std::vector<bool> results;
  for (const EngineConfig& config : EngineConfigs()) {
    results.push_back(bregexp::Match(program, begin, begin + subject.size(), config.options));
  }
  *answer = results[0];
  std::ostringstream disagreement;
  for (size_t k = 1; k < results.size(); ++k) {
    if (results[k] != results[0]) {
      disagreement << EngineConfigs()[k].name << " says " << results[k] << " but auto says " << results[0] << "; ";
    }
  }
  if (disagreement.str().empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << disagreement.str() << "subject " << Show(subject);
}

std::vector<OracleAnswer> AskPerl(const std::vector<OracleCase>& cases) {
  const std::string in_path = TempPath(".in"), out_path = TempPath(".out");
  {
    std::ofstream in(in_path, std::ios::binary);
    for (const OracleCase& c : cases) {
      in << "P " << Hex(c.expression) << '\n';
      for (const std::string& s : c.subjects) in << "S " << Hex(s) << '\n';
    }
  }
  const std::string command = std::string(BREGEXP_PERL) + " " + BREGEXP_ORACLE + " " + in_path + " " + out_path;
  const int status = std::system(command.c_str());
  std::vector<OracleAnswer> answers;
  std::ifstream out(out_path);
  std::string line;
  for (const OracleCase& c : cases) {
    OracleAnswer answer;
    if (!std::getline(out, line)) break;
    answer.compiled = line == "C";
    for (size_t k = 0; k < c.subjects.size() && std::getline(out, line); ++k) answer.matches.push_back(line == "1");
    answers.push_back(answer);
  }
  std::remove(in_path.c_str());
  std::remove(out_path.c_str());
  EXPECT_EQ(status, 0) << command;
  EXPECT_EQ(answers.size(), cases.size()) << "the oracle answered only part of the cases";
  return answers;
}

void CheckRows(const std::vector<Row>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE("row " + std::to_string(i) + ": " + Show(row.expression) + " on " + Show(row.subject));
    const bregexp::Program program = MustCompile(row.expression);
    bool answer = false;
    EXPECT_TRUE(EnginesAgree(program, row.subject, &answer));
    EXPECT_EQ(answer, row.expected);
  }
}

void CheckRowsAgainstPerl(const std::vector<Row>& rows) {
  std::vector<OracleCase> cases;
  for (const Row& row : rows) cases.push_back({row.expression, {row.subject}});
  const std::vector<OracleAnswer> answers = AskPerl(cases);
  for (size_t i = 0; i < answers.size(); ++i) {
    EXPECT_TRUE(answers[i].compiled) << "row " << i << ": Perl rejects " << Show(rows[i].expression);
    ASSERT_EQ(answers[i].matches.size(), 1u);
    EXPECT_EQ(answers[i].matches[0], rows[i].expected)
        << "row " << i << ": " << Show(rows[i].expression) << " on " << Show(rows[i].subject);
  }
}

void ExpectAgreementWithPerl(const std::vector<OracleCase>& cases) {
  const std::vector<OracleAnswer> answers = AskPerl(cases);
  int failures = 0;
  size_t compared = 0;
  for (size_t i = 0; i < answers.size() && failures < 20; ++i) {
    const OracleCase& c = cases[i];
    bregexp::Program program;
    bregexp::ParseError error;
    const bool compiled = bregexp::CompileExpression(c.expression, &program, &error);
    if (!answers[i].compiled) {
      ADD_FAILURE() << "Perl rejects a generated pattern: " << Show(c.expression);
      ++failures;
      continue;
    }
    if (!compiled) {
      ADD_FAILURE() << "rejected " << Show(c.expression) << ": " << error.what << " at " << error.offset;
      ++failures;
      continue;
    }
    for (size_t k = 0; k < c.subjects.size() && k < answers[i].matches.size(); ++k) {
      bool ours = false;
      const testing::AssertionResult agree = EnginesAgree(program, c.subjects[k], &ours);
      ++compared;
      if (!agree) {
        ADD_FAILURE() << Show(c.expression) << ": " << agree.message();
        ++failures;
      } else if (ours != answers[i].matches[k]) {
        ADD_FAILURE() << Show(c.expression) << " on " << Show(c.subjects[k]) << ": ours " << ours << ", Perl "
                      << answers[i].matches[k];
        ++failures;
      }
      if (failures >= 20) break;
    }
  }
  EXPECT_GT(compared, 0u);
  std::printf("compared %zu subject/pattern pairs with Perl\n", compared);
}

}  // namespace bregexp_test
