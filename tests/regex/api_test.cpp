// The calling contract: results, error messages with offsets, handle reuse and release.
#include <cstring>
#include <string>
#include <vector>

#include "bregexp_api.h"
#include "test_util.h"

namespace bregexp_test {
namespace {

using bregexp::Free;
using bregexp::kMessageSize;
using bregexp::MatchExpression;

int Call(const std::string& expression, const std::string& subject, void** compiled, char* message) {
  return MatchExpression(expression.c_str(), subject.data(), subject.data() + subject.size(), compiled, message);
}

struct ErrorRow {
  std::string expression;
  size_t offset;
  const char* reason;
};

std::string Nested(int depth) { return "m/" + std::string(size_t(depth), '(') + "a" + std::string(size_t(depth), ')') + "/"; }

TEST(Api, RejectsUnsupportedAndMalformedPatternsWithOffsets) {
  const std::vector<ErrorRow> rows = {
      {"m/(a)\\1/", 5, "backreference"},        {"m/(a)\\g1/", 5, "backreference"},
      {"m/(?<n>a)\\k<n>/", 9, "backreference"}, {"m/a(?=b)/", 3, "lookaround"},
      {"m/a(?!b)/", 3, "lookaround"},           {"m/(?<=a)b/", 2, "lookaround"},
      {"m/(?<!a)b/", 2, "lookaround"},          {"m/(?>a)/", 2, "atomic"},
      {"m/a*+/", 4, "possessive"},              {"m/a++/", 4, "possessive"},
      {"m/a{2}+/", 6, "possessive"},            {"m/(?(1)a)/", 2, "conditional"},
      {"m/(?R)/", 2, "recursion"},              {"m/(?1)/", 2, "recursion"},
      {"m/(?&n)/", 2, "recursion"},             {"m/(?P>n)/", 2, "recursion"},
      {"m/\\Ga/", 2, "\\G"},                     {"m/a\\K/", 3, "\\K"},
      {"m/a{1001}/", 3, "over 1000"},           {"m/a{1,1001}/", 3, "over 1000"},
      {"m/(a{1000}){1000}/", 11, "20000"},      {Nested(201), 202, "nesting"},
      {"m/(a/", 2, "unmatched ("},              {"m/a)/", 3, "unmatched )"},
      {"m/[a/", 2, "unterminated class"},       {"m/*a/", 2, "follows nothing"},
      {"m/a|*/", 4, "follows nothing"},         {"m/a**/", 4, "nested"},
      {"abc\\", 3, "trailing backslash"},       {"m/[z-a]/", 3, "range"},
      {"m/a{3,2}/", 3, "minimum above maximum"}, {"m/\\p{L}/", 2, "unknown escape"},
      {"m/\\x{100}/", 2, "above FF"},           {"m/[[:foo:]]/", 3, "POSIX"},
      {"m/(?<n/", 2, "group name"},             {"m/\\b{wb}/", 2, "\\b{"},
      {"m/(?#a/", 2, "comment"},                {"m/[\\A]/", 3, "inside class"},
  };
  for (const ErrorRow& row : rows) {
    SCOPED_TRACE(Show(row.expression));
    char message[kMessageSize];
    std::memset(message, 'X', sizeof message);
    void* compiled = nullptr;
    EXPECT_EQ(Call(row.expression, "aaa", &compiled, message), -1);
    EXPECT_EQ(compiled, nullptr);
    ASSERT_NE(std::memchr(message, '\0', sizeof message), nullptr) << "message not terminated";
    const std::string text = message;
    EXPECT_NE(text.find(row.reason), std::string::npos) << text;
    EXPECT_NE(text.find("at offset " + std::to_string(row.offset)), std::string::npos) << text;
    for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << text;
  }
}

TEST(Api, AcceptsTheLimitsThemselves) {
  for (const std::string& expression : {Nested(200), std::string("m/a{1000}/"), std::string("m/(a{10}){1000}/")}) {
    void* compiled = nullptr;
    char message[kMessageSize];
    EXPECT_EQ(Call(expression, std::string(10000, 'a'), &compiled, message), 1) << message;
    Free(compiled);
  }
}

TEST(Api, ReusesTheHandleOnlyForTheSameText) {
  void* compiled = nullptr;
  char message[kMessageSize];
  ASSERT_EQ(Call("m/ab+c/", "xabbcx", &compiled, message), 1);
  void* first = compiled;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Call("m/ab+c/", "xacx", &compiled, message), 0);
  EXPECT_EQ(compiled, first);
  EXPECT_EQ(Call("m/xyz/", "xabbcx", &compiled, message), 0) << "a handle from other text must not be reused";
  EXPECT_EQ(Call("m/xyz/", "axyz", &compiled, message), 1);
  EXPECT_EQ(Call("m/(/", "axyz", &compiled, message), -1);
  EXPECT_EQ(compiled, nullptr) << "a failed compile leaves no handle behind";
  Free(compiled);
}

TEST(Api, SharesCachedProgramsAcrossHandles) {
  void* a = nullptr;
  void* b = nullptr;
  char message[kMessageSize];
  ASSERT_EQ(Call("m/c[ao]t/i", "CAT", &a, message), 1);
  ASSERT_EQ(Call("m/c[ao]t/i", "cot", &b, message), 1);
  Free(a);
  EXPECT_EQ(Call("m/c[ao]t/i", "cut", &b, message), 0);
  Free(b);
  for (int k = 0; k < 300; ++k) {
    void* h = nullptr;
    ASSERT_EQ(Call("m/x" + std::to_string(k) + "/", "x" + std::to_string(k), &h, message), 1);
    Free(h);
  }
  EXPECT_LE(bregexp::CachedPrograms(), bregexp::kCacheEntries);
}

TEST(Api, FreeAcceptsNullAndMessageIsEmptyOnSuccess) {
  Free(nullptr);
  char message[kMessageSize];
  std::strcpy(message, "stale");
  void* compiled = nullptr;
  EXPECT_EQ(Call("m/a/", "b", &compiled, message), 0);
  EXPECT_STREQ(message, "");
  Free(compiled);
}

TEST(Api, SubjectIsTheRangeNotAString) {
  void* compiled = nullptr;
  char message[kMessageSize];
  const std::string subject("a\0b", 3);
  EXPECT_EQ(Call("m/b/", subject, &compiled, message), 1);
  EXPECT_EQ(MatchExpression("m/b/", subject.data(), subject.data() + 2, &compiled, message), 0);
  EXPECT_EQ(MatchExpression("m/b/", subject.data() + 2, subject.data(), &compiled, message), -1);
  EXPECT_EQ(MatchExpression("m/b/", nullptr, nullptr, &compiled, message), -1);
  Free(compiled);
}

}  // namespace
}  // namespace bregexp_test
