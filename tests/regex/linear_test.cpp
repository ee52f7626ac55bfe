// Pathological patterns over a megabyte and a 100 MB subject: linear work, no deep stack, right answers.
#include <random>

#include "test_util.h"

// Each row in every configuration within 4 units of work per subject byte and program instruction.
// The closure rows nest many optional parts, so that the closures of one byte step overlap (each
// optional [ab]? reaches all the ones after it).
TEST(Linear, WorkPerByteIsBoundedByTheProgramSize) {
  const size_t n = size_t(1) << 20;
  std::mt19937 rng(7);
  std::string as(n, 'a'), xs(n, 'x'), ab(n, 'a'), tail = std::string(20, 'b') + "c", runs, big(size_t(100) << 20, ' ');
  for (char& c : ab) c = (rng() & 1) ? 'a' : 'b';
  while (runs.size() < 20000) runs += std::string(799, 'a') + "x";
  const std::string line = "The quick brown fox \x95\x5C\x8E\xA6 jumps over the lazy dog\n";
  for (size_t k = 0; k + line.size() < big.size(); k += line.size()) big.replace(k, line.size(), line);
  const std::string closures = "m/([ab]?){800}[ab]{800}/";
  const std::string bytes_800 = std::string(200, 'x') + std::string(800, 'b') + "x";
  const struct { std::string expression; const std::string& subject; bool expected; } rows[] = {
      {"m/(a*)*b/", as, false}, {"m/(a*)*b/", as + "b", true}, {"m/(a|aa)*[^a]/", as, false},
      {"m/(a|aa)*[^a]/", as + "c", true}, {"m/(x+x+)+y/", xs, false}, {"m/(x+x+)+y/", xs + "y", true},
      {"m/[ab]*a[ab]{20}[^ab]/", ab, false}, {"m/[ab]*a[ab]{20}[^ab]/", ab + "a" + tail, true},
      {"m/[ab]*a[ab]{20}[^ab]/", ab + "b" + tail, false}, {closures, runs, false}, {closures, bytes_800, true},
      {closures, bytes_800.substr(1, 900), false}, {"m/(?:(?:a?){40}b?){40}[ab]{1000}/", runs, false},
      {"m/(?:a?|b?|(?:ab)?){1000}y/", runs, false}, {"m/(?:a|b|\\b)*?(?:a?\\B){500}z/", runs, false},
      {"m/(?:\\w+\\s+)*zebra/", big, false}, {"m/lazy dog\\n?\\z/", big, false},
      {"m/^(?:[^\\n]*\\n)*[^\\n]*\\z/", big, true}, {"m/\x95\x5C\x8E\xA6 jumps$/m", big, false},
      {"m/over\\s+the\\s+lazy\\s+cat/i", big, false}};
  // Over the 100 MB subject only the library's own configuration runs, and the NFA once, below.
  for (const auto& row : rows) {
    EXPECT_TRUE(EnginesSay(MustCompile(row.expression), row.subject, row.expected, &row.subject != &big, 4))
        << row.expression;
  }
  // The DFA keeps the whole working set (about 800 states) cached and so reads a second copy of
  // the subject at one unit a byte.
  const bregexp::Program program = MustCompile(closures);
  const std::string doubled = runs + runs;
  size_t once = 0, twice = 0;
  MatchOptions dfa = {E::kDfaOnly, size_t(4) << 20, false, true, &once};
  bregexp::Match(program, Bytes(doubled), Bytes(doubled) + runs.size(), dfa);
  dfa.work = &twice;
  bregexp::Match(program, Bytes(doubled), Bytes(doubled) + doubled.size(), dfa);
  EXPECT_EQ(twice - once, runs.size());
  const MatchOptions nfa = {E::kNfaOnly, 0, false, true};
  EXPECT_FALSE(bregexp::Match(MustCompile("m/zebra/"), Bytes(big), Bytes(big) + big.size(), nfa));
}
