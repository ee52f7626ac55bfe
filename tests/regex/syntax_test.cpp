// Pattern syntax and operator-form cases, each also confirmed by Perl where Perl shares the form.
#include <string>
#include <vector>

#include "test_util.h"

namespace bregexp_test {
namespace {

const std::vector<Row>& DelimiterRows() {
  static const std::vector<Row> rows = {
      {"m/abc/", "xabcx", true},       {"m{a{2}}", "aa", true},         {"m{a{2}}", "a{2}", false},
      {"m{a\\{2\\}}", "a{2}", true},   {"m(a(b)c)", "abc", true},       {"m[[ab]]", "b", true},
      {"m<a<b>c>", "a<b>c", true},     {"m|a\\|b|", "a|b", true},       {"m|a\\|b|", "b", true},         {"m|a\\|b|", "c", false},
      {"m.a\\.c.", "abc", true},      {"m{a\\}}", "a}", true},        {"m(\\(a\\))", "(a)", true},
      {"m#a#i", "A", true},            {"/abc/i", "xABC", true},        {"/a\\/b/", "a/b", true},
      {"abc", "abc", true},            {"a|b", "b", true},              {"m!a.c!s", "a\nc", true},
      {"m,a,", "a", true},             {"m/a/", "A", false},
  };
  return rows;
}

// Forms Perl does not take as they stand, so only the contract decides.
const std::vector<Row>& LibraryOnlyRows() {
  static const std::vector<Row> rows = {
      {"m/abc", "m/abc", true},   // unterminated: a bare pattern
      {"m/abc", "abc", false},
      {"m/ab/ x", "m/ab/ x", true},  // not only letters after the delimiter: a bare pattern
      {"m/a/q", "a", true},          // unknown flag letters are accepted and ignored
      {"m/a/zi", "A", true},
  };
  return rows;
}

const std::vector<Row>& FlagRows() {
  static const std::vector<Row> rows = {
      {"m/a.c/", "a\nc", false},      {"m/a.c/s", "a\nc", true},     {"m/^b/", "a\nb", false},
      {"m/^b/m", "a\nb", true},       {"m/a$/", "a\n", true},         {"m/a$/", "a\n\n", false},
      {"m/a$/m", "a\n\n", true},      {"m/a\\Z/", "a\n", true},       {"m/a\\z/", "a\n", false},
      {"m/a\\Z/m", "a\nb", false},    {"m/^$/m", "a\n", false},       {"m/^$/m", "a\n\nb", true},
      {"m/\\n^/m", "a\n", false},     {"m/\\n^/m", "a\nb", true},     {"m/a b/x", "ab", true},
      {"m/a b/x", "a b", false},      {"m/a\\ b/x", "a b", true},     {"m/a#c\nb/x", "ab", true},
      {"m/a[ ]b/x", "a b", true},     {"m/a +b/x", "aaab", true},     {"m/(?i)ab/", "AB", true},
      {"m/a(?i)b/", "aB", true},      {"m/a(?i)b/", "AB", false},     {"m/(?i:a)b/", "Ab", true},
      {"m/(?i:a)b/", "AB", false},    {"m/(?-i:a)b/i", "aB", true},   {"m/(?-i:a)b/i", "AB", false},
      {"m/(?s).$/", "\n", true},      {"m/.$/", "\n", false},         {"m/(?i)a|b/", "B", true},
      {"m/(?:(?i)a)b/", "AB", false}, {"m/(?x: a b )c/", "abc", true}, {"m/(?^i:a)/m", "A", true},
      {"m/(?m)^b/", "a\nb", true},    {"m/(?s-m:.)/", "\n", true},
  };
  return rows;
}

const std::vector<Row>& EscapeRows() {
  static const std::vector<Row> rows = {
      {"m/\\t/", "\t", true},         {"m/\\x41/", "A", true},         {"m/\\x{42}/", "B", true},
      {"m/\\x4/", "\x04", true},      {"m/\\0101/", "\b1", true},      {"m/\\012/", "\n", true},
      {"m/\\cA/", "\x01", true},      {"m/\\c[/", "\x1b", true},       {"m/\\e\\a\\f\\r/", "\x1b\x07\f\r", true},
      {"m/\\Qa.b\\E/", "a.b", true},  {"m/\\Qa.b\\E/", "axb", false},  {"m/\\Qa.b/", "a.b", true},
      {"m/\\Q(\\E+/", "((", true},    {"m/\\./", "a", false},          {"m/\\d+/", "x12", true},
      {"m/\\D/", "12", false},        {"m/\\s/", "\x0b", true},        {"m/\\S/", " \t\n\r\f\x0b", false},
      {"m/\\h/", "\t", true},         {"m/\\h/", "\n", false},         {"m/\\H/", " ", false},
      {"m/\\v/", "\r", true},         {"m/\\V/", "\n", false},         {"m/\\w/", "_", true},
      {"m/\\W/", "abc_9", false},     {"m/\\-\\~\\@/", "-~@", true},   {"m/a\\E/", "a", true},
  };
  return rows;
}

const std::vector<Row>& ClassRows() {
  static const std::vector<Row> rows = {
      {"m/[a-c]/", "xbx", true},         {"m/[^a-c]/", "abc", false},     {"m/[]a]/", "]", true},
      {"m/[a-]/", "-", true},            {"m/[[:alpha:]]/", "5", false},  {"m/[[:^alpha:]]/", "a5", true},
      {"m/[[:punct:]]/", "a!", true},    {"m/[\\d-z]/", "-", true},        {"m/[a-z]/i", "Q", true},
      {"m/[^a]/i", "A", false},          {"m/[\\b]/", "\b", true},         {"m/[.]/", "a", false},
      {"m/[\\w]/", "_", true},           {"m/[^\\W]/", "a", true},         {"m/[\\S\\s]/", "\n", true},
      {"m/[[:upper:]]/i", "a", true},    {"m/[[:space:]]/", "\x0b", true}, {"m/[[:xdigit:]]+$/", "fF09", true},
      {"m/[\\]]/", "]", true},           {"m/[\\\\]/", "\\", true},        {"m/[a\\-z]/", "b", false},
      {"m/[\\x41-\\x43]/", "B", true},   {"m/[[:word:]]/", "_", true},     {"m/[[]/", "[", true},
  };
  return rows;
}

const std::vector<Row>& QuantifierRows() {
  static const std::vector<Row> rows = {
      {"m/^a{2}$/", "aa", true},        {"m/^a{2}$/", "aaa", false},     {"m/^a{2,}$/", "aaaa", true},
      {"m/^a{2,3}$/", "aaaa", false},   {"m/^a{,2}$/", "aa", true},      {"m/^a{,2}$/", "aaa", false},
      {"m/a{/", "a{", true},            {"m/a{x}/", "a{x}", true},       {"m/a{,}/", "a{,}", true},
      {"m/^a*?$/", "aaa", true},        {"m/^a+?b/", "aab", true},       {"m/^a??b/", "b", true},
      {"m/^(ab)+$/", "ababab", true},   {"m/^(ab)+$/", "abba", false},   {"m/^(?:a|bc)*$/", "abcbca", true},
      {"m/^(a|)+$/", "", true},         {"m/^a{0}$/", "", true},         {"m/^(a{2}){2}$/", "aaaa", true},
      {"m/^(a{2}){2}$/", "aaa", false}, {"m/^a{1000}$/", std::string(1000, 'a'), true},
      {"m/^a{2,1000}$/", std::string(1001, 'a'), false},
  };
  return rows;
}

const std::vector<Row>& AnchorAndGroupRows() {
  static const std::vector<Row> rows = {
      {"m/\\bfoo\\b/", "a foo.", true},   {"m/\\bfoo\\b/", "afoo", false},   {"m/\\Bo\\B/", "foo", true},
      {"m/\\Aa/", "ba", false},          {"m/\\Aa/m", "b\na", false},       {"m/^$/", "", true},
      {"m/\\b/", "", false},             {"m/\\B/", "", true},             {"m/a\\b/", "a", true},
      {"m/(?<name>ab)c/", "abc", true},  {"m/(?:ab)(?#c)c/", "abc", true}, {"m/a|b|c/", "c", true},
      {"m/(a|b)c/", "bc", true},         {"m/()/", "", true},              {"m/x()y/", "xy", true},
      {"m/(?'n'a)/", "a", true},         {"m/(?P<n>a)/", "a", true},       {"m/a(?#x)*/", "", true},
      {"m/(a)|b/", "b", true},           {"m/^(?:$)/", "", true},          {"m'$^'m", "\n\n", true},
  };
  return rows;
}

TEST(Syntax, Delimiters) { CheckRows(DelimiterRows()); }
TEST(Syntax, LibraryOnlyForms) { CheckRows(LibraryOnlyRows()); }
TEST(Syntax, Flags) { CheckRows(FlagRows()); }
TEST(Syntax, Escapes) { CheckRows(EscapeRows()); }
TEST(Syntax, Classes) { CheckRows(ClassRows()); }
TEST(Syntax, Quantifiers) { CheckRows(QuantifierRows()); }
TEST(Syntax, AnchorsAndGroups) { CheckRows(AnchorAndGroupRows()); }

TEST(Syntax, ExpectationsAgreeWithPerl) {
  std::vector<Row> all;
  for (const auto* rows : {&DelimiterRows(), &FlagRows(), &EscapeRows(), &ClassRows(), &QuantifierRows(),
                           &AnchorAndGroupRows()}) {
    all.insert(all.end(), rows->begin(), rows->end());
  }
  CheckRowsAgainstPerl(all);
}

}  // namespace
}  // namespace bregexp_test
