// Pathological patterns over megabytes and a 100 MB subject: they must simply finish.
#include <random>
#include <string>

#include "test_util.h"

namespace bregexp_test {
namespace {

using bregexp::MatchOptions;

struct LinearRow {
  const char* expression;
  std::string subject;
  bool expected;
};

std::string RandomAB(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, 'a');
  for (char& c : s) c = (rng() & 1) ? 'a' : 'b';
  return s;
}

TEST(Linear, PathologicalPatternsOverMegabytes) {
  const size_t n = size_t(4) << 20;
  const std::string as(n, 'a'), xs(n, 'x'), ab = RandomAB(n, 7);
  const std::vector<LinearRow> rows = {
      {"m/(a*)*b/", as, false},
      {"m/(a*)*b/", as + "b", true},
      {"m/(a|aa)*[^a]/", as, false},
      {"m/(a|aa)*[^a]/", as + "c", true},
      {"m/(x+x+)+y/", xs, false},
      {"m/(x+x+)+y/", xs + "y", true},
      {"m/[ab]*a[ab]{20}[^ab]/", ab, false},
      {"m/[ab]*a[ab]{20}[^ab]/", ab + "a" + std::string(20, 'b') + "c", true},
      {"m/[ab]*a[ab]{20}[^ab]/", ab + "b" + std::string(20, 'b') + "c", false},
  };
  const MatchOptions automatic;
  MatchOptions nfa;
  nfa.engine = MatchOptions::Engine::kNfaOnly;
  nfa.use_prefilter = false;
  MatchOptions tiny;
  tiny.engine = MatchOptions::Engine::kDfaOnly;
  tiny.dfa_cache_bytes = 1 << 12;
  tiny.use_prefilter = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i) + ": " + rows[i].expression);
    const bregexp::Program program = MustCompile(rows[i].expression);
    const auto* begin = reinterpret_cast<const unsigned char*>(rows[i].subject.data());
    const auto* end = begin + rows[i].subject.size();
    EXPECT_EQ(bregexp::Match(program, begin, end, automatic), rows[i].expected);
    EXPECT_EQ(bregexp::Match(program, begin, end, tiny), rows[i].expected);
    // The NFA simulation is the slowest engine; a quarter of the subject keeps the test short.
    const size_t quarter = rows[i].subject.size() - n / 4 * 3;
    EXPECT_EQ(bregexp::Match(program, end - quarter, end, nfa), rows[i].expected);
  }
}

TEST(Linear, HundredMegabyteSubject) {
  std::string subject(size_t(100) << 20, ' ');
  const char kText[] = "The quick brown fox \x95\x5C\x8E\xA6 jumps over the lazy dog\n";
  for (size_t k = 0; k + sizeof kText < subject.size(); k += sizeof kText - 1) {
    subject.replace(k, sizeof kText - 1, kText);
  }
  const auto* begin = reinterpret_cast<const unsigned char*>(subject.data());
  const auto* end = begin + subject.size();
  struct Case {
    const char* expression;
    bool expected;
  };
  for (const Case& c : {Case{"m/(?:\\w+\\s+)*zebra/", false}, Case{"m/lazy dog\\n?\\z/", false},
                        Case{"m/^(?:[^\\n]*\\n)*[^\\n]*\\z/", true}, Case{"m/\x95\x5C\x8E\xA6 jumps$/m", false},
                        Case{"m/over\\s+the\\s+lazy\\s+cat/i", false}}) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(bregexp::Match(MustCompile(c.expression), begin, end), c.expected);
  }
  MatchOptions nfa;
  nfa.engine = MatchOptions::Engine::kNfaOnly;
  nfa.use_prefilter = false;
  EXPECT_FALSE(bregexp::Match(MustCompile("m/zebra/"), begin, end, nfa));
}

}  // namespace
}  // namespace bregexp_test
