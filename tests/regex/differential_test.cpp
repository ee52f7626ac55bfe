// Differential tests: generated patterns and subjects, every engine configuration against Perl.
#include <random>

#include "test_util.h"

const char* const kFlags[] = {"", "i", "m", "s", "ms", "im", "x", "is"};
const char* const kQuantifiers[] = {"*", "?", "+", "{2}", "{1,2}", "*?", "{0,}", "??"};

// Precedence: 0 alternation, 1 concatenation, 2 quantified, 3 atom.
struct Piece { std::string text; int precedence; };

static std::string Wrap(const Piece& p, int need) { return p.precedence < need ? "(?:" + p.text + ")" : p.text; }

// Every pattern with exactly `ops` operators: alternation, concatenation and the first
// `quantifiers` of kQuantifiers.
static std::vector<Piece> AllWith(const std::vector<std::string>& atoms, int ops, size_t quantifiers) {
  std::vector<Piece> out;
  for (size_t k = 0; ops == 0 && k < atoms.size(); ++k) out.push_back({atoms[k], 3});
  for (const Piece& p : ops ? AllWith(atoms, ops - 1, quantifiers) : std::vector<Piece>()) {
    for (size_t q = 0; q < quantifiers; ++q) out.push_back({Wrap(p, 3) + kQuantifiers[q], 2});
  }
  for (int left = 0; left < ops; ++left) {
    for (const Piece& l : AllWith(atoms, left, quantifiers)) {
      for (const Piece& r : AllWith(atoms, ops - 1 - left, quantifiers)) {
        out.insert(out.end(), {{l.text + "|" + r.text, 0}, {Wrap(l, 1) + Wrap(r, 1), 1}});
      }
    }
  }
  return out;
}

// A random pattern with `ops` operators; a quantifier slot may instead become a capturing group.
static Piece Generate(const std::vector<std::string>& atoms, int ops, std::mt19937& rng) {
  if (ops == 0) return {atoms[rng() % atoms.size()], 3};
  const unsigned kind = rng() % 4;
  if (kind == 0) {
    const Piece p = Generate(atoms, ops - 1, rng);
    const size_t q = rng() % 9;
    return q == 8 ? Piece{"(" + p.text + ")", 3} : Piece{Wrap(p, 3) + kQuantifiers[q], 2};
  }
  const int left = int(rng() % unsigned(ops));
  const Piece l = Generate(atoms, left, rng), r = Generate(atoms, ops - 1 - left, rng);
  return kind == 1 ? Piece{l.text + "|" + r.text, 0} : Piece{Wrap(l, 1) + Wrap(r, 1), 1};
}

static std::vector<std::string> AllStrings(const std::vector<std::string>& alphabet, size_t max_length) {
  std::vector<std::string> out = {""};
  for (const std::string& s : max_length ? AllStrings(alphabet, max_length - 1) : std::vector<std::string>()) {
    for (const std::string& c : alphabet) out.push_back(c + s);
  }
  return out;
}

// The a flag keeps Perl's \d \w \s and POSIX classes ASCII like ours; the library ignores it.
// Under x, white space before a quantifier would leave it quantifying nothing.
static std::string Expression(const std::string& pattern, std::string flags) {
  if (pattern.find_first_of(" \n") != std::string::npos && flags.find('x') != std::string::npos) flags = "";
  return "m'" + pattern + "'" + flags + "a";
}

// Each world: every pattern of one operator over its characters, their negated classes and
// . ^ $ and a two-character class, plus 150 random ones of two to four operators, against every
// subject of up to five of its characters.
TEST(Differential, SmallWorlds) {
  const std::vector<std::vector<std::string>> worlds = {
      {"a", "B", "\n"}, {kKanaA, kKanaDi, "a"}, {kHyo, kLong, "\n"}, {"B", kHyo, kKanaA}, {kKanaDi, "\n", "a"}};
  std::mt19937 rng(1);
  for (const std::vector<std::string>& world : worlds) {
    std::vector<std::string> atoms = world;
    for (const std::string& c : world) {
      if (c != "\n") atoms.push_back("[^" + c + "]");
    }
    atoms.insert(atoms.end(), {".", "^", "$", "[" + world[0] + world[1] + "]"});
    const std::vector<std::string> subjects = AllStrings(world, 5);
    std::vector<Piece> patterns = AllWith(atoms, 1, 8);
    for (int k = 0; k < 150; ++k) patterns.push_back(Generate(atoms, 2 + int(rng() % 3), rng));
    std::vector<OracleCase> cases;
    for (const Piece& p : patterns) cases.push_back({Expression(p.text, kFlags[cases.size() % 8]), subjects});
    ExpectAgreementWithPerl(cases);
  }
}

// All patterns of up to three operators over a and ヂ (whose trail byte is 'a'), against all
// subjects of up to five of a, ヂ and a bare lead byte 83, which joins a following 'a' into ヂ.
TEST(Differential, ExhaustiveUpToThreeOperators) {
  const std::vector<std::string> subjects = AllStrings({"a", kKanaDi, "\x83"}, 5);
  std::vector<OracleCase> cases;
  for (int ops = 0; ops <= 3; ++ops) {
    for (const Piece& p : AllWith({"a", kKanaDi}, ops, 2)) cases.push_back({Expression(p.text, ""), subjects});
  }
  ExpectAgreementWithPerl(cases);
}

// Richer syntax over a wider alphabet with random subjects, including lone lead bytes and
// letters that fold.
TEST(Differential, RandomSyntax) {
  const std::vector<std::string> chars = {
      "a", "b", "A", "Z", "z", "0", "7", "_", " ", "\n", "\t", "-", ".", "+", kKanaA, kKanaDi, kHyo, kLong,
      "\x82\x60", "\x82\x81", "\x83\x9F", "\x83\xBF", "\x84\x40", "\x84\x70", "\xB1", "\x81\x7C"};  // Ａａ Αα Аа ｱ －
  const std::vector<std::string> atoms = {
      "a", "b", "A", "z", "0", " ", kKanaA, kKanaDi, kHyo, kLong, "\x82\x60", "\x83\xBF", "\x84\x40", "\\.", "\\+",
      "\\\\", ".", "\\w", "\\W", "\\d", "\\D", "\\s", "\\S", "\\h", "\\v", "(?:\\b)", "(?:\\B)", "\\A", "\\z", "\\Z",
      "^", "$", "[a-z]", "[^a-z]", "[[:alpha:]]", "[[:^digit:]_]", "[\\d\\s]", "[\x83\x40-\x83\x60]", "[^\x83\x41]",
      "[a\x95\x5C-]", "\\x41", "\\t", "\\n", "(?i:a)", "(?-i:A)", "(?s:.)", "(?m:^)", "(?m:$)", "()",
      "\\x{7a}", "\\cJ", "\\0", "[\\]]", "\\\x95\x5C", "[\\\x83\x41-\\\x83\x61]", "\xB1"};
  std::mt19937 rng(99);
  std::vector<OracleCase> cases(8000, {"", std::vector<std::string>(24)});
  for (OracleCase& c : cases) {
    c.expression = Expression(Generate(atoms, 1 + int(rng() % 5), rng).text, kFlags[rng() % 8]);
    for (std::string& subject : c.subjects) {
      for (size_t len = rng() % 9; len > 0; --len) subject += chars[rng() % chars.size()];
      if (rng() % 6 == 0) subject += char(0x81 + rng() % 3);                        // a lone lead byte at the end
      if (rng() % 8 == 0) subject.insert(rng() % (subject.size() + 1), "\x83 ");  // a lead byte before a non-trail
    }
  }
  ExpectAgreementWithPerl(cases);
  // Long subjects take the vectorised literal search and fill and clear the DFA cache. Perl
  // backtracks exponentially on some of these patterns at such lengths, so there the
  // configurations are checked against each other.
  for (size_t k = 0; k < cases.size() && !HasFailure(); k += 4) {
    std::string subject;
    while (subject.size() < 200 + k % 2000) subject += chars[rng() % chars.size()];
    EXPECT_TRUE(EnginesSay(MustCompile(cases[k].expression), subject, -1)) << Show(cases[k].expression);
  }
}

// Which letters fold, checked against Perl's own case rules over ASCII and the rows of the code
// page that hold letters, every character alone and in a class as a pattern against every other.
TEST(Differential, CaseFolding) {
  std::vector<std::string> chars;
  for (unsigned code = 0x20; code <= 0x84FC; ++code) {
    if (code < 0x7F) chars.push_back(std::string(1, char(code)));
    if (code >= 0x8240 && bregexp::IsTrail(code & 0xFF)) chars.push_back({char(code >> 8), char(code)});
  }
  std::vector<OracleCase> cases;
  for (const std::string& c : chars) {
    if (std::string("' \\$()*+.?[]^{|}").find(c) != std::string::npos) continue;
    for (const std::string& e : {c, "[" + c + "]"}) cases.push_back({Expression(e, "i"), chars});
  }
  ExpectAgreementWithPerl(cases);
}
