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

// Many nested optional parts make the closures of one byte step overlap (each optional [ab]?
// reaches all the ones after it); the work per subject byte must still stay within a small
// multiple of the program size, in every engine configuration, and the DFA must keep the whole
// working set (about 800 states) in its cache so that it looks at each byte once.
TEST(Linear, WorkPerByteIsBoundedByTheProgramSize) {
  std::string runs;
  while (runs.size() < 20000) runs += std::string(799, 'a') + "x";
  const char* const expressions[] = {"m/([ab]?){800}[ab]{800}/", "m/(?:(?:a?){40}b?){40}[ab]{1000}/",
                                     "m/(?:a?|b?|(?:ab)?){1000}y/", "m/(?:a|b|\\b)*?(?:a?\\B){500}z/"};
  for (const char* expression : expressions) {
    const bregexp::Program program = MustCompile(expression);
    const auto* begin = reinterpret_cast<const unsigned char*>(runs.data());
    for (const auto& [name, configuration] : kConfigs) {
      size_t work = 0;
      MatchOptions options = configuration;
      options.work = &work;
      EXPECT_FALSE(bregexp::Match(program, begin, begin + runs.size(), options)) << expression << " " << name;
      const double per_byte_and_instruction = double(work) / double(runs.size() + 2) / double(program.insts.size());
      EXPECT_LE(per_byte_and_instruction, 4.0) << expression << " " << name << ": " << work << " units";
    }
  }
  // With its whole working set cached, the DFA reads a second copy of the subject at one unit a byte.
  const bregexp::Program program = MustCompile(expressions[0]);
  const std::string doubled = runs + runs;
  const auto* begin = reinterpret_cast<const unsigned char*>(doubled.data());
  size_t once = 0, twice = 0;
  const size_t cache = size_t(4) << 20;
  bregexp::Match(program, begin, begin + runs.size(), MatchOptions{E::kDfaOnly, cache, false, true, &once});
  bregexp::Match(program, begin, begin + doubled.size(), MatchOptions{E::kDfaOnly, cache, false, true, &twice});
  EXPECT_EQ(twice - once, runs.size());
  const std::string bytes_800 = std::string(200, 'x') + std::string(800, 'b') + "x";
  EXPECT_TRUE(EnginesSay(program, bytes_800, 1));
  EXPECT_TRUE(EnginesSay(program, bytes_800.substr(1, 900), 0));
}
