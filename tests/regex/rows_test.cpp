// Hand-written cases the generators do not reach: operator forms, escapes, Shift-JIS trail bytes.
#include "test_util.h"

// perl: false for forms only the library takes (a text that does not parse as an operator is a bare pattern).
struct Row { std::string expression, subject; bool expected, perl = true; };

// Runs of 299 a's: every position is a candidate of the literal search for a{300}, which gives
// up comparing and lets the DFA answer.
const std::string kRunsOf299 = Repeat(std::string(299, 'a') + "b", 20);

// Expectations written by hand, so each is confirmed by Perl as well as checked in every configuration.
// {1000} and 200 nested groups are the largest repetition and nesting accepted; a group of 9,000
// characters needs 9,000 of the 20,000 instructions however its parts are counted.
const std::vector<Row> kRows = {
    {"m/a{300}/", kRunsOf299, false}, {"m/a{300}/", kRunsOf299 + std::string(300, 'a'), true},
    {"m/a{300}/i", kRunsOf299 + std::string(150, 'A') + std::string(150, 'a'), true},
    {"m{a{2}}", "aa", true}, {"m{a\\{2\\}}", "a{2}", true}, {"m(a(b)c)", "abc", true}, {"m[[ab]]", "b", true},
    {"m<a<b>c>", "a<b>c", true}, {"m|a\\|b|", "b", true}, {"m.a\\.c.", "abc", true}, {"m#a#i", "A", true},
    {"/a\\/b/i", "A/B", true}, {"a|b", "b", true}, {"m!a.c!s", "a\nc", true}, {"m/a b#c\n/x", "ab", true},
    {"m/a\\ b/x", "a b", true}, {"m/(?^i:a)/m", "A", true}, {"m/(?s-m:.)/", "\n", true}, {"m/\\0101/", "\b1", true},
    {"m/\\c[/", "\x1b", true}, {"m/\\e\\a\\f\\r/", "\x1b\x07\f\r", true}, {"m/\\Qa.b\\E/", "axb", false},
    {"m/\\Q(\\E+/", "((", true},
    {"m/\\L\\uABC/", "Abc", true}, {"m/\\L\\uABC/", "abc", false}, {"m/\\U\\labc/", "aBC", true},
    {"m/\\U\\labc/", "ABC", false}, {"m/\\-\\~\\@/", "-~@", true}, {"m/[]a]/", "]", true},
    {"m/[[:punct:]]/", "a!", true}, {"m/[[:upper:]]/i", "a", true}, {"m/[\\b]/", "\b", true},
    {"m/[[:xdigit:][:space:]]+$/", "fF09\x0b", true}, {"m/[a\\-z]/", "b", false}, {"m/[[:word:]]/", "_", true},
    {"m/^a{,2}$/", "aaa", false}, {"m/a{x}/", "a{x}", true}, {"m/^a{1000}$/", std::string(1000, 'a'), true},
    {"m/(a{10}){1000}/", std::string(10000, 'a'), true},
    {"m/(?:" + std::string(9000, 'a') + ")/", std::string(9000, 'a'), true},
    {"m/" + std::string(200, '(') + "a" + std::string(200, ')') + "/", "a", true},
    {"m/(?<n>a)(?'m'b)(?P<o>c)(?#d)/", "abc", true}, {"m/\\bfoo\\B/", "a foox", true}, {"m/\\\\/", kHyo, false},
    {"m/" + kHyo + "/", "\\", false}, {"m{" + kHyo + "}", "x" + kHyo, true},
    {"m/\\\\" + kHyo + "+$/", "\\" + kHyo + kHyo, true}, {"m/" + kLong + "+$/", "a" + kLong + kLong, true},
    {"m{[" + kLong + "]}", kLong, true}, {"m/a" + kMinus + "b/", "a" + kMinus + "b", true},
    {"m{" + kMinus + "}", kMinus, true}, {"m/a" + kMinus + "b/", "a", false},
    {"m{a" + kPlus + "}", "a" + kPlus, true}, {"m{a" + kPlus + "}", "{", false},
    {"m/x" + kSlash + "/", "x" + kSlash, true}, {"m{" + kSlash + "a}", "a", false}, {"m/\\^/", kSlash, false},
    {"m/A/", "\x83\x83\x41", true}, {"m/" + kKanaA + "/", "\x83\x83\x41", false}, {"m/^.$/", kHyo, true},
    {"m/^..$/", kHyo, false}, {"m/[^" + kKanaA + "]/", kHyo, true}, {"m/a.$/", "a\x83", true},
    {"m/A$/", "\x83" "A", false}, {"m/" + kKanaA + "/", "x\x83", false}, {"m/" + kWideA + "/i", kWideLowA, true},
    {"m/[" + kWideLowA + "]/i", kWideA, true}, {"m/" + kWideA + "/", kWideLowA, false},
    {"m/" + kKanaA + "/i", kKanaDi, false}, {"m/A/i", kKanaDi, false}, {"m/" + kWideA + "/i", "a", false},
    // Blank space after the flags is no part of the expression; a word character after m is no delimiter.
    {"m/\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68|password/i ", "my PassWord", true},
    {"m/\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68|password/i ", "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68", true},
    {"m/a/i \t", "A", true}, {"/a$/m\t", "a\nb", true}, {"m_a_", "m_a_", true}, {"m_a_", "a", false},
    {"m_a_i", "M_A_I", false}, {"m/abc", "m/abc", true, false}, {"m/abc", "abc", false, false},
    {"m/ab/ x", "m/ab/ x", true, false}, {"/a/ i", "/a/ i", true, false}};

TEST(Rows, EveryConfigurationAndPerlGiveTheExpectedAnswer) {
  std::vector<OracleCase> cases;
  for (const Row& row : kRows) {
    EXPECT_TRUE(EnginesSay(MustCompile(row.expression), row.subject, row.expected)) << Show(row.expression);
    if (row.perl) cases.push_back({row.expression, {row.subject}});
  }
  ExpectAgreementWithPerl(cases);
}

// The vectorised literal search and the skip to the next byte that can start a match, on a long
// mixed subject: a needle inserted at each character boundary is found, its bytes inserted across
// characters are not. The subject holds A as a trail byte (of ア) after runs of lead bytes of
// both parities, so the skip lands on trail bytes; \b and ^ check the context it resumes with.
TEST(Rows, LiteralSearchAndSkipKeepCharacterBoundaries) {
  std::string filler;
  const std::string pieces[] = {"ab ", kKanaA, "\x88\x88", kHyo, "\n", "\x82\xA0", kLong, "Z", "\x9F\x9F"};
  for (int k = 0; filler.size() < 160; ++k) filler += pieces[(k * 7) % 9];
  const std::vector<std::vector<std::string>> needles = {  // expression, aligned, misaligned
      {"m/\x88\x9F\x88\x9F/", "\x88\x9F\x88\x9F", "\x82\x88\x9F\x88\x9F\x40"},
      {"m/" + kHyo + "A/", kHyo + "A", "\x83" + kHyo + "A"},
      {"m/" + kKanaA + "b/", kKanaA + "b", "\x88" + kKanaA + "b"},
      {"m/sherlock/i", "ShErLoCk", "\x83sherlock"}, {"m/A[0-9]/", "A7", "\x83" "A7"},
      {"m/(?:A|B)[0-9]/", "A7", "\x83" "A7"}, {"m/\\b(?:A|B)[0-9]/", kKanaDi + "B7", "\x83" "B7"},
      {"m/^(?:A|B)[0-9]/m", "\nA7", "\n\x83" "A7"}};
  const unsigned char* const bytes = Bytes(filler);
  for (const std::vector<std::string>& needle : needles) {
    const bregexp::Program program = MustCompile(needle[0]);
    // At the end the step reads the string's terminating zero, a character of one byte.
    for (size_t at = 0; at <= filler.size(); at += bregexp::CharLength(bytes + at, bytes + filler.size())) {
      for (bool aligned : {true, false}) {
        EXPECT_TRUE(EnginesSay(program, std::string(filler).insert(at, needle[aligned ? 1 : 2]), aligned))
            << Show(needle[0]) << " at " << at;
      }
    }
  }
}

// The compiler counts a class's instructions before it builds them (so that an oversized program
// is refused unbuilt); the count must be what it then builds.
TEST(Rows, ClassSizesAreCountedAsBuilt) {
  const std::vector<std::string> classes = {
      ".", "[^a]", "a", "[a-z]", "\\w", "\\W", "[\\x80-\\xFF]", "[\\x81]", "[" + kKanaA + "-" + kKanaDi + "]",
      "[^" + kHyo + "]", "[\\x81-\\x9F" + kHyo + "]", "(?s:.)", "\\N", "[\\x00-\\x7F\\x81\\x40-\\xFC\\xFC]",
      "[\x87\x54-\x87\x5D]", "[\\x{7f}-\\xA0]", "[^\\s\\S]"};
  for (const std::string& c : classes) {
    for (const char* flags : {"", "i"}) {
      bregexp::Regex regex;
      bregexp::ParseError error;
      ASSERT_TRUE(bregexp::ParseExpression("m/" + c + "/" + flags, &regex, &error)) << Show(c) << ": " << error.what;
      const bregexp::Program program = MustCompile("m/\\A" + c + "/" + flags);
      ASSERT_EQ(regex.sets.size(), 1u) << Show(c);
      EXPECT_EQ(program.insts.size(), size_t(2 + bregexp::ClassInstructions(regex.sets[0]))) << Show(c) << flags;
    }
  }
}
