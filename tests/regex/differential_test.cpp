// Differential tests: generated patterns and subjects, every engine configuration against Perl.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sjis.h"
#include "test_util.h"

namespace bregexp_test {
namespace {

// Characters of the small worlds, in cp932.
const std::string kA = "a", kB = "B", kNl = "\n";
const std::string kKanaA = "\x83\x41";    // ア: trail byte is 'A'
const std::string kKanaDi = "\x83\x61";   // ヂ: trail byte is 'a'
const std::string kHyo = "\x95\x5C";      // 表: trail byte is '\'
const std::string kLong = "\x81\x5B";     // ー: trail byte is '['

struct Piece {
  std::string text;
  int precedence;  // 0 alternation, 1 concatenation, 2 quantified, 3 atom
};

class PatternGenerator {
 public:
  PatternGenerator(std::vector<std::string> atoms, uint32_t seed) : atoms_(std::move(atoms)), rng_(seed) {}

  Piece Generate(int operators) {
    if (operators == 0) return {atoms_[Pick(atoms_.size())], 3};
    const int kind = int(Pick(4));
    if (kind == 0) return Quantify(Generate(operators - 1));
    const int left_ops = int(Pick(size_t(operators)));
    Piece left = Generate(left_ops), right = Generate(operators - 1 - left_ops);
    if (kind == 1) return {left.text + "|" + right.text, 0};
    return {Wrap(left, 1) + Wrap(right, 1), 1};
  }

  // Every pattern with exactly one operator over the atoms.
  std::vector<std::string> AllWithOneOperator() const {
    std::vector<std::string> out;
    for (const std::string& a : atoms_) {
      for (const char* q : kQuantifiers) out.push_back(a + q);
      for (const std::string& b : atoms_) {
        out.push_back(a + b);
        out.push_back(a + "|" + b);
      }
    }
    return out;
  }

  // Every pattern with exactly `operators` operators among *, ?, concatenation and alternation.
  std::vector<Piece> AllWith(int operators) const {
    if (operators == 0) {
      std::vector<Piece> out;
      for (const std::string& a : atoms_) out.push_back({a, 3});
      return out;
    }
    std::vector<Piece> out;
    for (const Piece& p : AllWith(operators - 1)) {
      out.push_back({Wrap(p, 3) + "*", 2});
      out.push_back({Wrap(p, 3) + "?", 2});
    }
    for (int left_ops = 0; left_ops < operators; ++left_ops) {
      const std::vector<Piece> lefts = AllWith(left_ops), rights = AllWith(operators - 1 - left_ops);
      for (const Piece& l : lefts) {
        for (const Piece& r : rights) {
          out.push_back({l.text + "|" + r.text, 0});
          out.push_back({Wrap(l, 1) + Wrap(r, 1), 1});
        }
      }
    }
    return out;
  }

  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

 private:
  static constexpr const char* kQuantifiers[] = {"*", "+", "?", "{2}", "{1,2}", "*?", "{0,}", "??"};

  static std::string Wrap(const Piece& p, int need) {
    return p.precedence >= need ? p.text : "(?:" + p.text + ")";
  }

  Piece Quantify(const Piece& p) {
    const size_t which = Pick(sizeof kQuantifiers / sizeof kQuantifiers[0] + 1);
    if (which == sizeof kQuantifiers / sizeof kQuantifiers[0]) return {"(" + p.text + ")", 3};
    return {Wrap(p, 3) + kQuantifiers[which], 2};
  }

  std::vector<std::string> atoms_;
  std::mt19937 rng_;
};

std::vector<std::string> AllStrings(const std::vector<std::string>& alphabet, size_t max_length) {
  std::vector<std::string> out = {""};
  size_t from = 0;
  for (size_t len = 1; len <= max_length; ++len) {
    const size_t to = out.size();
    for (size_t k = from; k < to; ++k) {
      for (const std::string& c : alphabet) out.push_back(out[k] + c);
    }
    from = to;
  }
  return out;
}

std::string Expression(const std::string& pattern, std::string flags) {
  // Under x, white space before a quantifier would leave it quantifying nothing.
  if (pattern.find_first_of(" \n") != std::string::npos) flags.erase(std::remove(flags.begin(), flags.end(), 'x'), flags.end());
  // The a flag keeps Perl's \d \w \s and POSIX classes ASCII, as ours are; it is
  // a letter the library accepts and ignores.
  return "m'" + pattern + "'" + flags + "a";
}

const char* const kFlagChoices[] = {"", "i", "m", "s", "ms", "im", "x", "is"};

void RunWorld(const std::vector<std::string>& world, uint32_t seed, int random_patterns) {
  std::vector<std::string> atoms = world;
  for (const std::string& c : world) {
    if (c != kNl) atoms.push_back("[^" + c + "]");
  }
  atoms.insert(atoms.end(), {".", "^", "$", "[" + world[0] + world[1] + "]"});
  PatternGenerator gen(atoms, seed);
  const std::vector<std::string> subjects = AllStrings(world, 5);
  std::vector<OracleCase> cases;
  size_t flag = 0;
  for (const std::string& p : gen.AllWithOneOperator()) {
    cases.push_back({Expression(p, kFlagChoices[flag++ % 8]), subjects});
  }
  for (int k = 0; k < random_patterns; ++k) {
    const int ops = 2 + int(gen.Pick(3));
    cases.push_back({Expression(gen.Generate(ops).text, kFlagChoices[gen.Pick(8)]), subjects});
  }
  ExpectAgreementWithPerl(cases);
}

TEST(SmallWorlds, AsciiAndLineFeed) { RunWorld({kA, kB, kNl}, 1, 150); }
TEST(SmallWorlds, KanaWhoseTrailBytesAreLetters) { RunWorld({kKanaA, kKanaDi, kA}, 2, 150); }
TEST(SmallWorlds, TrailBytesThatAreMetacharacters) { RunWorld({kHyo, kLong, kNl}, 3, 150); }
TEST(SmallWorlds, MixedWidths) { RunWorld({kB, kHyo, kKanaA}, 4, 150); }
TEST(SmallWorlds, LineFeedWithKana) { RunWorld({kKanaDi, kNl, kA}, 5, 150); }

// All patterns of up to three operators over a and ヂ (whose trail byte is
// 'a'), against all subjects of up to five of a, ヂ and a bare lead byte 83,
// which joins a following 'a' into ヂ.
TEST(SmallWorlds, ExhaustiveUpToThreeOperators) {
  const PatternGenerator gen({kA, kKanaDi}, 0);
  const std::vector<std::string> subjects = AllStrings({kA, kKanaDi, "\x83"}, 5);
  std::vector<OracleCase> cases;
  for (int ops = 0; ops <= 3; ++ops) {
    for (const Piece& p : gen.AllWith(ops)) cases.push_back({Expression(p.text, ""), subjects});
  }
  ExpectAgreementWithPerl(cases);
}

// Richer syntax over a wider alphabet with random subjects, including lone
// lead bytes and letters that fold.
TEST(RandomSyntax, AgreesWithPerl) {
  const std::vector<std::string> chars = {
      "a", "b", "A", "Z", "z", "0", "7", "_", " ", "\n", "\t", "-", ".", "+", kKanaA, kKanaDi, kHyo, kLong,
      "\x82\x60",  // Ａ
      "\x82\x81",  // ａ
      "\x83\x9F",  // Α
      "\x83\xBF",  // α
      "\x84\x40",  // А
      "\x84\x70",  // а
      "\xB1",      // half-width ｱ
      "\x81\x7C",  // －
  };
  const std::vector<std::string> atoms = {
      "a", "b", "A", "z", "0", " ", kKanaA, kKanaDi, kHyo, kLong, "\x82\x60", "\x83\xBF", "\x84\x40", "\\.", "\\+",
      "\\\\", ".", "\\w", "\\W", "\\d", "\\D", "\\s", "\\S", "\\h", "\\v", "(?:\\b)", "(?:\\B)", "\\A", "\\z", "\\Z", "^",
      "$", "[a-z]", "[^a-z]", "[[:alpha:]]", "[[:^digit:]_]", "[\\d\\s]", "[\x83\x40-\x83\x60]", "[^\x83\x41]",
      "[a\x95\x5C-]", "\\x41", "\\t", "\\n", "(?i:a)", "(?-i:A)", "(?s:.)", "(?m:^)", "(?m:$)", "()",
      "\\x{7a}", "\\cJ", "\\0", "[\\]]", "\\\x95\x5C", "[\\\x83\x41-\\\x83\x61]", "\xB1",
  };
  PatternGenerator gen(atoms, 77);
  std::mt19937 rng(99);
  std::vector<OracleCase> cases;
  for (int k = 0; k < 8000; ++k) {
    OracleCase c;
    c.expression = Expression(gen.Generate(1 + int(gen.Pick(5))).text, kFlagChoices[gen.Pick(8)]);
    for (int s = 0; s < 24; ++s) {
      std::string subject;
      const size_t len = rng() % 9;
      for (size_t j = 0; j < len; ++j) subject += chars[rng() % chars.size()];
      if (rng() % 6 == 0) subject += char(0x81 + rng() % 3);  // a lone lead byte at the end
      if (rng() % 8 == 0) subject.insert(rng() % (subject.size() + 1), "\x83 ");  // lead byte before a non-trail
      c.subjects.push_back(subject);
    }
    cases.push_back(std::move(c));
  }
  ExpectAgreementWithPerl(cases);
}

// Long subjects take the vectorised literal search and fill and clear the DFA
// cache. Perl backtracks exponentially on some generated patterns at these
// lengths, so here the engine configurations are checked against each other.
TEST(RandomSyntax, EnginesAgreeOnLongSubjects) {
  const std::vector<std::string> chars = {"a", "b", "A", " ", "\n", "_", "7", kKanaA, kKanaDi, kHyo, kLong, "\x82\x60"};
  const std::vector<std::string> atoms = {"a", "b", "A", kKanaA, kHyo, ".", "\\w", "\\W", "\\s", "(?:\\b)", "^", "$",
                                          "[^a]", "[ab]", "(?i:a)", "\\Z", "[\x83\x41-\x83\x61]", "(?s:.)"};
  PatternGenerator gen(atoms, 4242);
  std::mt19937 rng(17);
  int disagreements = 0;
  for (int k = 0; k < 600 && disagreements < 10; ++k) {
    const std::string expression = Expression(gen.Generate(1 + int(gen.Pick(6))).text, kFlagChoices[gen.Pick(8)]);
    const bregexp::Program program = MustCompile(expression);
    for (int s = 0; s < 4; ++s) {
      std::string subject;
      const size_t len = 200 + rng() % 2000;
      while (subject.size() < len) subject += chars[rng() % chars.size()];
      bool answer = false;
      const testing::AssertionResult agree = EnginesAgree(program, subject, &answer);
      if (!agree) {
        ADD_FAILURE() << Show(expression) << ": " << agree.message();
        ++disagreements;
      }
    }
  }
}

// Which double-byte letters fold is checked against Perl's own case rules
// over the rows of the code page that hold letters, and over ASCII.
TEST(CaseFolding, AgreesWithPerlOverLetterRows) {
  std::vector<std::string> ascii;
  for (int c = 0x20; c < 0x7F; ++c) ascii.push_back(std::string(1, char(c)));
  std::vector<OracleCase> cases;
  for (unsigned lead : {0x82u, 0x83u, 0x84u}) {
    std::vector<std::string> row;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (bregexp::IsTrail(trail)) row.push_back({char(lead), char(trail)});
    }
    for (const std::string& c : row) {
      std::vector<std::string> subjects = row;
      subjects.insert(subjects.end(), ascii.begin(), ascii.end());
      cases.push_back({Expression(c, "i"), subjects});
    }
  }
  for (const std::string& c : ascii) {
    if (c == "'" || c == "\\" || c == " " || std::string("$()*+.?[]^{|}").find(c) != std::string::npos) continue;
    cases.push_back({Expression(c, "i"), ascii});
  }
  ExpectAgreementWithPerl(cases);
}

}  // namespace
}  // namespace bregexp_test
