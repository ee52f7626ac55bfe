// Shift-JIS handling: trail bytes that look like ASCII, whole-character matching, folding.
#include <string>
#include <vector>

#include "test_util.h"

namespace bregexp_test {
namespace {

const std::string kHyo = "\x95\x5C";    // 表: trail byte '\'
const std::string kLong = "\x81\x5B";   // ー: trail byte '['
const std::string kMinus = "\x81\x7C";  // －: trail byte '|'
const std::string kPlus = "\x81\x7B";   // ＋: trail byte '{'
const std::string kSlash = "\x81\x5E";  // ／: trail byte '^'
const std::string kKanaA = "\x83\x41";  // ア: trail byte 'A'
const std::string kKanaDi = "\x83\x61"; // ヂ: trail byte 'a'
const std::string kShi = "\x8E\xA6";    // 示
const std::string kWideA = "\x82\x60";  // Ａ
const std::string kWideLowA = "\x82\x81";  // ａ

const std::vector<Row>& TrailByteRows() {
  static const std::vector<Row> rows = {
      {"m/\\\\/", kHyo, false},
      {"m/" + kHyo + "/", kHyo, true},
      {"m/" + kHyo + "/", "\\", false},
      {"m/\\x5C/", kHyo, false},
      {"m/" + kHyo + "+$/", kHyo + kHyo, true},
      {"m{" + kHyo + "}", "x" + kHyo, true},
      {"m/" + kLong + "/", kLong, true},
      {"m/" + kLong + "+$/", "a" + kLong + kLong, true},
      {"m/[" + kLong + "]/", kLong, true},
      {"m/" + kLong + "/", "[", false},
      {"m/\\[/", kLong, false},
      {"m/a" + kMinus + "b/", "a" + kMinus + "b", true},
      {"m/a" + kMinus + "b/", "a", false},
      {"m{" + kMinus + "}", kMinus, true},
      {"m/a" + kPlus + "/", "a" + kPlus, true},
      {"m{a" + kPlus + "}", "a" + kPlus, true},
      {"m{a" + kPlus + "}", "{", false},
      {"m/x" + kSlash + "/", "x" + kSlash, true},
      {"m/" + kSlash + "/", "^", false},
      {"m/" + kSlash + "a/", "a", false},
      {"m/A/", kKanaA, false},
      {"m/A/", "\x83\x83\x41", true},  // 83 83 is one character, so the 41 stands alone
      {"m/" + kKanaA + "/", "\x83\x83\x41", false},
      {"m/" + kHyo + kShi + "/", "\x95\x95\x5C\x8E\xA6", false},
      {"m/" + kHyo + kShi + "/", "\x95\x5C\x8E\xA6", true},
      {"m/\\\\" + kHyo + "/", "\\" + kHyo, true},
  };
  return rows;
}

const std::vector<Row>& WholeCharacterRows() {
  static const std::vector<Row> rows = {
      {"m/^.$/", kHyo, true},
      {"m/^..$/", kHyo, false},
      {"m/^.$/", "\x83", true},  // a lone lead byte is a character
      {"m/^..$/", "\x83 ", true},
      {"m/[^" + kKanaA + "]/", kHyo, true},
      {"m/[^" + kKanaA + "]/", kKanaA, false},
      {"m/^[^a]$/", kKanaDi, true},
      {"m/a.$/", "a\x83", true},
      {"m/A$/", "\x83" "A", false},
      {"m/A$/", "\x83 A", true},
      {"m/" + kKanaA + "/", "x\x83", false},
      {"m/^\\w*.$/", "ab\x83", true},
      {"m/\\bA/", kKanaA, false},
      {"m/\\w/", kHyo + kKanaA, false},
      {"m/^[" + kKanaA + "-" + kKanaDi + "]+$/", "\x83\x50\x83\x41", true},
      {"m/^[" + kKanaA + "-" + kKanaDi + "]+$/", "\x83\x62", false},
      {"m/^\\W$/", kHyo, true},
  };
  return rows;
}

const std::vector<Row>& FoldingRows() {
  static const std::vector<Row> rows = {
      {"m/" + kWideA + "/i", kWideLowA, true},
      {"m/" + kWideLowA + "/i", kWideA, true},
      {"m/" + kWideA + "/", kWideLowA, false},
      {"m/[" + kWideA + "]/i", kWideLowA, true},
      {"m/" + kKanaA + "/i", kKanaDi, false},
      {"m/" + kKanaDi + "/i", kKanaA, false},
      {"m/a/i", kKanaDi, false},
      {"m/A/i", kKanaDi, false},
      {"m/a/i", kKanaA, false},
      {"m/\x83\x9F/i", "\x83\xBF", true},   // Α α
      {"m/\x84\x60/i", "\x84\x91", true},   // Я я
      {"m/\x84\x46/i", "\x84\x76", true},   // Ё ё
      {"m/\x84\x4F/i", "\x84\x80", true},   // О о, across the unused trail 7F
      {"m/" + kWideA + "/i", "a", false},
  };
  return rows;
}

TEST(ShiftJis, TrailBytesAreNeverMetacharacters) { CheckRows(TrailByteRows()); }
TEST(ShiftJis, MatchesWholeCharacters) { CheckRows(WholeCharacterRows()); }
TEST(ShiftJis, FoldsOnlyLetterPairs) { CheckRows(FoldingRows()); }

// Long subjects take the vectorised path of the literal search; the literal
// is placed at every character boundary of a mixed filler, and also inside
// characters, where it must not be found.
TEST(ShiftJis, LiteralSearchRespectsBoundariesInLongSubjects) {
  std::string filler;
  const std::string pieces[] = {"ab ", kKanaA, "\x88\x88", kHyo, "\n", "\x82\xA0", kLong, "Z", "\x9F\x9F"};
  for (int k = 0; filler.size() < 160; ++k) filler += pieces[(k * 7) % 9];
  std::vector<size_t> boundaries;
  for (size_t k = 0; k <= filler.size();) {
    boundaries.push_back(k);
    if (k == filler.size()) break;
    k += bregexp::CharLength(reinterpret_cast<const unsigned char*>(filler.data()) + k,
                             reinterpret_cast<const unsigned char*>(filler.data()) + filler.size());
  }
  struct Needle {
    std::string expression;
    std::string aligned;     // placed on a boundary: found
    std::string misaligned;  // holds the literal's bytes across characters: not found
  };
  const Needle needles[] = {
      {"m/\x88\x9F\x88\x9F/", "\x88\x9F\x88\x9F", "\x82\x88\x9F\x88\x9F\x40"},
      {"m/" + kHyo + "A/", kHyo + "A", "\x83" + kHyo + "A"},
      {"m/" + kKanaA + "b/", kKanaA + "b", "\x88" + kKanaA + "b"},
      {"m/sherlock/i", "ShErLoCk", "\x83sherlock"},
  };
  for (const Needle& needle : needles) {
    const bregexp::Program program = MustCompile(needle.expression);
    for (size_t at : boundaries) {
      SCOPED_TRACE(Show(needle.expression) + " at " + std::to_string(at));
      bool found = false;
      std::string aligned = filler;
      aligned.insert(at, needle.aligned);
      EXPECT_TRUE(EnginesAgree(program, aligned, &found));
      EXPECT_TRUE(found);
      std::string misaligned = filler;
      misaligned.insert(at, needle.misaligned);
      EXPECT_TRUE(EnginesAgree(program, misaligned, &found));
      EXPECT_FALSE(found);
    }
  }
}

TEST(ShiftJis, ExpectationsAgreeWithPerl) {
  std::vector<Row> all = TrailByteRows();
  all.insert(all.end(), WholeCharacterRows().begin(), WholeCharacterRows().end());
  all.insert(all.end(), FoldingRows().begin(), FoldingRows().end());
  CheckRowsAgainstPerl(all);
}

}  // namespace
}  // namespace bregexp_test
