// Perl conformance, each case judged by Perl itself: what Perl accepts is accepted with Perl's
// meaning, what Perl rejects is an error. Flags and blank space after them, the operator form,
// every escape letter and digit, false ranges, \N \o \R \X, the case escapes, and the characters
// the code page encodes twice (Roman numerals among them) with and without i.
#include <random>

#include "test_util.h"

// Flag letters, as Perl checks them (unknown ones, at most one of a d l u, a at most twice), each
// followed by nothing or by blank space, in every form; inline ones likewise. A word character
// after m is no delimiter, so m_a_ is a bare pattern.
TEST(Conformance, FlagsBlankSpaceAndTheOperatorForm) {
  const std::vector<std::string> subjects = {"a b", "ab", "A B", "AB", "a\nb", "xa b\n", "m_a b_", "m a b ", "ab\n"};
  std::vector<std::string> flags = {"",   "aa", "aaa", "au", "ad", "la",     "uu",  "ll",  "dd",
                                    "ii", "xx", "xxx", "gc", "cg", "msixpn", "ogc", "aia", "ix"};
  for (char c = 'a'; c <= 'z'; ++c) flags.insert(flags.end(), {std::string(1, c), std::string(1, char(c - 32))});
  std::vector<OracleCase> cases;
  for (const std::string& f : flags) {
    for (const char* form : {"m/a b$/", "/a b$/", "m{a b$}", "m'a b$'"}) {
      for (const char* tail : {"", " ", "\t", " \t ", "\n", "\r", "\f", "\x0b"}) {
        cases.push_back({form + f + tail, subjects});
      }
    }
    for (const std::string& g : {"(?" + f + ")a b", "(?-" + f + ")a b", "(?" + f + ":a) b", "(?^" + f + ":a) b",
                                 "(?i" + f + "-m)a b", "(?" + f + f + ")a b"}) {
      if (g != "(?R)a b") cases.push_back({"m/" + g + "/", subjects});  // recursion is in the error table
    }
  }
  for (const char* text : {"m_a b_", "m_a b_i", "m a b ", "m0a b0", "m /a b/", "m_a b_ ", "(?^)a b", "(?^-i)a b",
                           "(?-)a b", "(?i-)a b", "(?x-x)a b", "(?)a b", "(?--i)a b", "(?i-i)A b", "/a b/ x"}) {
    cases.push_back({text, subjects});
  }
  ExpectAgreementWithPerl(cases);
}

// Every letter and digit after a backslash, in and out of classes, at a range's ends and before a
// quantifier, with and without interpolation (the ' delimiter). \G and \K are supported by Perl
// and not here (the error table has them).
TEST(Conformance, EveryEscapeLetterAndDigit) {
  // Every ASCII character, the line ends, and a few others.
  std::vector<std::string> subjects = {"", "\r\n", "\n\r", "ab", "a-", "\x81\x40", kKanaA, kHyo};
  for (int c = 0; c < 0x80; ++c) subjects.push_back(std::string(1, char(c)));
  std::vector<OracleCase> cases;
  for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) {
    const std::string e = std::string("\\") + c;
    for (const std::string& context : {"^" + e, "^[" + e + "]", "^a" + e, "^[a-" + e + "]", "^[" + e + "-z]",
                                       "^[%-" + e + "]", e + "+$", "^[^" + e + "]", e + "{2}", "^" + e + "{x}",
                                       "^[" + e + "{]"}) {
      if ((c != 'G' && c != 'K') || context.find('[') != std::string::npos) {
        AddForms(cases, context, {"", "i"}, subjects);
      }
    }
  }
  ExpectAgreementWithPerl(cases);
}

// \N \o{} \x{} \R \X, ranges whose end is a set, octal escapes, quantifier braces with blanks and
// literal braces, and \h with the ideographic space.
TEST(Conformance, NewEscapesFalseRangesAndBraces) {
  const std::vector<std::string> patterns = {
      "\\N", "^\\N{2}$", "^\\N{ 1 , 2 }$", "^a\\N{,2}b$", "\\N{U+41}", "^\\N{U+41.62}$", "\\N{ U+0041 }", "\\N{U+4_1}",
      "\\N{U+4__1}", "\\N{U+_41}", "\\N{U+41 . 62}", "\\N{U+41 }", "^[\\N{U+41}-\\N{U+43}]$", "\\N{U+41}{2}",
      "\\o{101}", "\\o{ 101 }", "\\o{1_01}", "\\o{_101}", "^\\o{8}$", "\\o{101_}", "^[\\o{141}-\\o{143}]+$", "\\o{ }",
      "\\o{101", "^\\x{41}$", "\\x{ 41 }", "^\\x{4g}$", "\\x{_41}", "^\\x{4__1}$", "^\\x{}$", "^\\x4g$", "^\\x{41",
      "^\\R$", "^\\R\\n$", "^\\R{2}$", "^\\R+$", "^x\\R?y$", "^[\\R]$", "^[^\\R]$", "\\R\\z", "(?x)^\\R $",
      "^\\X$", "^\\X\\X$", "^\\X+$", "^\\X\\n$", "^a\\X\\x{DF}$", "\\X\\z", "^\\X{2}\\x{DE}$", "^[\\X]$",
      "^[a-\\d]$", "^[\\d-a]$", "^[\\w-\\d]+$", "^[a-\\s]$", "^[a-[:digit:]]$", "^[[:digit:]-a]$", "^[a-\\D]$",
      "^[%-\\h]$", "^[" + kKanaA + "-\\d]$", "^[\\d-]$", "^[-\\d]$", "^[a-\\N{U+7A}]$", "^[z-\\N{U+61}]$",
      "^\\y\\q\\i\\j\\m$", "[\\y-\\z]", "\\I\\J\\M\\O\\T\\Y", "^\\h$", "^\\H$", "^[\\h]$", "^[^\\h]$", "^\\h+\\v$",
      "^a{ 1 , 2 }b$", "^a{1, }$", "^{1}$", "^a|{1}$", "^(?:{2})$", "^a{1 2}$", "^a{01}$", "^a{ 1}$", "^a{1\t,\t2}$",
      "^\\10$", "^\\18$", "^[\\18]$", "^[\\1234]$", "^\\101$", "^\\d{x}$", "^\\d {x}$", "^\\x41{x}$",
      "^\\cA{x}$", "^a(?i){2}$", "^a(?#c){2}$", "^(?i)?a$", "^\\c $", "^\\c{$", "^\\c}$", "^[[=a=]]$", "^[[.a.]]$",
      "^[[:alpha]]$", "^[[:^digit:]]$", "^ba{0,0}$", "[ ^a]", "a* ?b", "a*(?#c)?b", "(?:a{2,1})?b", "a{2,1}?",
      "a{2,1}{2}", "a\\N {U+41}", "\\N(?#c){SPACE}", "\\N(?#c){2}", "\\N {2}", "[[", "[a[", "a\\N", "[[:]]", "^\\c~$",
      "^a\f\x0b" "b$"};
  const std::vector<std::string> subjects = {
      "", "A", "a", "b", "B", "AB", "Ab", "5", "-", "\r\n", "\r", "\n", "\r\r", "\n\r", "\r\n\n", "x\r\ny", "xy",
      "x\ry", "\x0b", "\x0c", " ", "\t", "\x81\x40", kKanaA, "\x08", "\x01" "8", "\x01", "8", "\n" "3", "S", "S4", "4",
      "{1}", "a{1 2}", "aa", "aaa", "ab", "aab", "a{ 1 , 2 }b", "%", "&", "z", "y", "yqijm", "IJMOTY", "abc", "\x04g",
      "\x04", std::string(1, '\0'), std::string("\0\xDE", 2), "AA", "\x04" "1", "\\a{x}", "\x01{x}", "`", ";", "=",
      "{x}", "A{x}", "1 {x}", "a=]", "\xB6\xDE", "\xB6\xDE\xDF", "\xDE", "\xDE\xDE", "a\xDF", "a\xDF\xDF", "\x83\xDE",
      "\x83\xDE\xDE", "\x83", "\x83\xDF", "\x80", "\x80\xDE", "\r\xDE", "\n\xDE", "\x7F", "X", "\x1B\xDE\xDE",
      "\xB6\xDE\xDE", "\r\n\xDE"};
  std::vector<OracleCase> cases;
  for (const std::string& p : patterns) AddForms(cases, p, {"", "i", "x", "s", "xx"}, subjects);
  ExpectAgreementWithPerl(cases);
}

// Random sequences of the case and quoting escapes with letters, escapes and metacharacters they
// change, as Perl's lexer applies them (\U\w is \W), and with the ' delimiter, which applies none.
TEST(Conformance, CaseAndQuotingEscapes) {
  const std::vector<std::string> tokens = {
      "\\U", "\\L", "\\F", "\\Q", "\\E", "\\u", "\\l", "\\U", "\\L", "\\Q", "\\E", "a", "B", "\\w", "\\d", ".", "\\.",
      "?", "x{2}", "[a-c]", "\\n", "\\t", "\\b", "\\s", "\\h", "\\r", "\\e", "(?i)", " ", "\\ ", "\\\\", "k",
      kWideLowA, kWideA, "\x87\x54", "\xEE\xEF", "\xFA\x40", "\xFA\x4A", "\x83\xBF", kKanaA, "\\0", "\\a", "\\z",
      "-", "[", "]", "\\N{U+61}", "\\X"};
  const std::vector<std::string> subjects = {
      "", "a", "A", "aB", "AB", "ab", "Ab", ".", "x", "xx", "XX", "\\", "\\\\", "+", "B", "b", "a.", "A.", "1", "\n",
      " ", "k", "K", kWideLowA, kWideA, "\x87\x54", "\xEE\xEF", "\xFA\x40", "\xFA\x4A", "\x83\x9F", "\x83\xBF",
      "\\.", "a+", "A+", "$", "\x1b", "e", "E", "-", "[", "]", "]a", "[A-C]", "\\Q", "QE", "\\E", "a{2}", "X{2}", "N"};
  std::mt19937 rng(13);
  std::vector<OracleCase> cases;
  for (int k = 0; k < 3000; ++k) {
    std::string pattern;
    for (int n = 1 + int(rng() % 6); n > 0; --n) pattern += tokens[rng() % tokens.size()];
    const char* flags = (k % 3 == 0) ? "i" : (k % 3 == 1) ? "" : "x";
    cases.push_back({"m/" + pattern + "/" + flags, subjects});
    if (k % 4 == 0) cases.push_back({"m'" + pattern + "'" + flags, subjects});
  }
  ExpectAgreementWithPerl(cases);
}

// The code page encodes some characters twice or three times (the NEC and IBM rows: Roman
// numerals, ∵, ￢, kanji); Perl decodes them to one character, and under i folds Ⅰ with ⅰ like
// any other case pair. Every character of those rows against every other, with and without i,
// checked in the library's own configuration (the classes below in every configuration).
TEST(Conformance, CharactersTheCodePageEncodesTwice) {
  std::vector<std::string> chars;
  for (unsigned lead : {0x81u, 0x87u, 0xEDu, 0xEEu, 0xFAu, 0xFBu, 0xFCu}) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (bregexp::IsTrail(trail)) chars.push_back({char(lead), char(trail)});
    }
  }
  std::vector<OracleCase> cases;
  for (const std::string& c : chars) AddForms(cases, c, {"", "i"}, chars, false);
  ExpectAgreementWithPerl(cases, false);
  // Ⅰ Ⅲ of the NEC row, ⅰ ⅲ of the NEC-selected IBM rows, Ⅰ ⅰ of the IBM rows; ￢ twice (81CA, FA54).
  const std::string r1 = "\x87\x54", r3 = "\x87\x56", s1 = "\xEE\xEF", s3 = "\xEE\xF1";
  const std::string i1 = "\xFA\x4A", is1 = "\xFA\x40";
  const std::vector<std::string> subjects = {r1, r3, s1, s3, i1, is1, "\xFA\x4C", "\xFA\x42", "\x87\x57", "\xEE\xF9",
                                             "\x81\xCA", "\xFA\x54", "I", r1 + i1, s1 + s1, "i"};
  cases.clear();
  for (const std::string& p : {"[" + r1 + "-" + r3 + "]", "[^" + s1 + "]", "[" + s1 + "-" + s3 + "]", "^" + i1 + "+$",
                               "[" + is1 + "]", std::string("\xFA\x54"), std::string("[\x81\xCA]"),
                               "(?i:" + r1 + ")" + s1}) {
    AddForms(cases, p, {"", "i"}, subjects, false);
  }
  ExpectAgreementWithPerl(cases);
}
