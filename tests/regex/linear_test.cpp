// Pathological patterns over megabytes and a 100 MB subject: linear time, no deep stack, right answers.
#include <random>

#include "test_util.h"

static bool Matches(const char* expression, const std::string& subject, size_t from, const MatchOptions& options) {
  const auto* begin = reinterpret_cast<const unsigned char*>(subject.data());
  return bregexp::Match(MustCompile(expression), begin + from, begin + subject.size(), options);
}

TEST(Linear, PathologicalPatternsAndAHundredMegabyteSubject) {
  const size_t n = size_t(4) << 20;
  std::mt19937 rng(7);
  std::string as(n, 'a'), xs(n, 'x'), ab(n, 'a'), tail = std::string(20, 'b') + "c";
  for (char& c : ab) c = (rng() & 1) ? 'a' : 'b';
  const struct { const char* expression; std::string subject; bool expected; } rows[] = {
      {"m/(a*)*b/", as, false}, {"m/(a*)*b/", as + "b", true}, {"m/(a|aa)*[^a]/", as, false},
      {"m/(a|aa)*[^a]/", as + "c", true}, {"m/(x+x+)+y/", xs, false}, {"m/(x+x+)+y/", xs + "y", true},
      {"m/[ab]*a[ab]{20}[^ab]/", ab, false}, {"m/[ab]*a[ab]{20}[^ab]/", ab + "a" + tail, true},
      {"m/[ab]*a[ab]{20}[^ab]/", ab + "b" + tail, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.expression) + " on " + std::to_string(row.subject.size()) + " bytes");
    EXPECT_EQ(Matches(row.expression, row.subject, 0, MatchOptions()), row.expected);
    EXPECT_EQ(Matches(row.expression, row.subject, 0, MatchOptions{E::kDfaOnly, 1 << 12, false, true}), row.expected);
    // The NFA simulation is the slowest engine; the last quarter of the subject keeps the test short.
    EXPECT_EQ(Matches(row.expression, row.subject, n / 4 * 3, MatchOptions{E::kNfaOnly, 0, false, true}), row.expected);
  }
  std::string big(size_t(100) << 20, ' ');
  const std::string line = "The quick brown fox \x95\x5C\x8E\xA6 jumps over the lazy dog\n";
  for (size_t k = 0; k + line.size() < big.size(); k += line.size()) big.replace(k, line.size(), line);
  const std::pair<const char*, bool> big_rows[] = {
      {"m/(?:\\w+\\s+)*zebra/", false}, {"m/lazy dog\\n?\\z/", false}, {"m/^(?:[^\\n]*\\n)*[^\\n]*\\z/", true},
      {"m/\x95\x5C\x8E\xA6 jumps$/m", false}, {"m/over\\s+the\\s+lazy\\s+cat/i", false}};
  for (const auto& [expression, expected] : big_rows) {
    EXPECT_EQ(Matches(expression, big, 0, MatchOptions()), expected) << expression;
  }
  EXPECT_FALSE(Matches("m/zebra/", big, 0, MatchOptions{E::kNfaOnly, 0, false, true}));
}
