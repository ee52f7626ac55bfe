// The calling contract: rejected constructs with their messages, handle reuse and release, the
// subject range, and the cost of refusing an oversized expression (every allocation of the test
// program is counted, so that a test sees the peak).
#include <algorithm>
#include <cstring>
#include <new>

#include "bregexp_api.h"
#include "test_util.h"

// The test program runs on one thread.
static size_t g_live = 0, g_peak = 0;
constexpr size_t kHeader = alignof(std::max_align_t);

// The replacements below free what they allocated themselves; GCC cannot see that through the header.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif

void* operator new(size_t size) {
  auto* block = static_cast<size_t*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  g_peak = std::max(g_peak, g_live += (*block = size));
  return reinterpret_cast<char*>(block) + kHeader;
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  g_live -= *reinterpret_cast<size_t*>(static_cast<char*>(p) - kHeader);
  std::free(static_cast<char*>(p) - kHeader);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }

static int Call(const std::string& expression, const std::string& subject, void** compiled, char* message) {
  return bregexp::MatchExpression(expression.c_str(), subject.data(), subject.data() + subject.size(), compiled,
                                  message);
}

TEST(Api, RejectsEachUnsupportedOrMalformedConstructWithItsOffset) {
  struct ErrorRow { std::string expression; size_t offset; const char* reason; };
  const ErrorRow rows[] = {
      {"m/(a)\\1/", 5, "backreference"}, {"m/(?<n>a)\\k<n>/", 9, "backreference"}, {"m/a(?=b)/", 3, "lookaround"},
      {"m/(?<=a)b/", 2, "lookaround"}, {"m/(?<!a)b/", 2, "lookaround"}, {"m/(?>a)/", 2, "atomic"},
      {"m/a{2}+/", 6, "possessive"}, {"m/(?(1)a)/", 2, "conditional"}, {"m/(?R)/", 2, "recursion"},
      {"m/(?P>n)/", 2, "recursion"}, {"m/\\Ga/", 2, "\\G"}, {"m/a\\K/", 3, "\\K"}, {"m/a{1,1001}/", 3, "over 1000"},
      {"m/(a{1000}){1000}/", 11, "20000"}, {"m/(a/", 2, "unmatched ("}, {"m/a)/", 3, "unmatched )"},
      {"m/" + std::string(201, '(') + "a" + std::string(201, ')') + "/", 202, "nesting"},
      {"m/[a/", 2, "unterminated class"}, {"m/a|*/", 4, "follows nothing"}, {"m/a**/", 4, "nested"},
      {"abc\\", 3, "trailing backslash"}, {"m/[z-a]/", 3, "range"}, {"m/a* +/x", 5, "possessive"},
      {"m/\\p{L}/", 2, "Unicode property"}, {"m/\\x{100}/", 2, "above FF"}, {"m/[[:foo:]]/", 3, "POSIX"},
      {"m/(?<n/", 2, "group name"}, {"m/\\b{wb}/", 2, "\\b{"}, {"m/(?#a/", 2, "comment"},
      {"m/(*FAIL)/", 2, "verb"}, {"m/a(*PRUNE)/", 3, "verb"}, {"m/(*pla:a)/", 2, "lookaround"},
      {"m/(*atomic:a)/", 2, "atomic"}, {"m/a\\N {U+41}/x", 3, "missing braces on \\N"},
      // Perl's rules for flags (unknown letters; at most one of a d l u, a twice at most).
      {"m/a/z", 4, "unknown flag"}, {"m/a/iZ ", 5, "unknown flag"}, {"m/a/au", 5, "charset"}, {"m/a/aaa", 6, "charset"},
      {"m/(?z)a/", 4, "unknown flag"}, {"m/(?i-a)a/", 6, "charset flag after -"}, {"m/(?^-i)a/", 2, "group syntax"},
      // What Perl rejects in escapes, classes and counts.
      {"m/\\o{}/", 2, "empty"}, {"m/\\o101/", 2, "braces"}, {"m/\\x{41/", 2, "missing }"}, {"m/[\\N]/", 3, "class"},
      {"m/\\N{U+}/", 2, "\\N{U+"}, {"m/a{01}/", 3, "leading zero"}, {"m/[[=a=]]/", 3, "POSIX"}, {"m/\\C/", 2, "\\C"},
      {"m/\\Ua\\Q\\Lb/", 7, "case modifier"},
      // Supported by Perl, not here: Unicode rules, named characters, code points the code page maps elsewhere.
      {"m/\\w/u", 2, "/u"}, {"m/(?^:\\d)/", 6, "/u"}, {"m/[[:alpha:]]/l", 3, "/u"}, {"m/(?d)\\b/", 6, "/u"},
      {"m/\\N{LATIN SMALL LETTER A}/", 2, "named"}, {"m/\\N{U+3042}/", 2, "above 7F"}, {"m/\\o{400}/", 2, "above FF"},
      {"m/(((((((((((a)))))))))))\\11/", 25, "backreference"},
      // Oversized ones, refused before they are built: at most the text decoded (8 bytes a
      // character, twice) and 20000 nodes of the tree are allocated. Each nested \Q doubles the
      // backslashes before it (found by the fuzzer).
      {"m/" + std::string(size_t(1) << 20, '.') + "/", 65536, "expression over 65536 bytes"},
      {"m/" + std::string(60000, '.') + "/", 2 + 20000 / 9, "program over 20000 instructions"},
      {"m/" + std::string(60000, 'a') + "/", 2 + 20000, "program over 20000 instructions"},
      {"m/(?:" + std::string(30000, '.') + "){0}/", 5 + 20000 / 9, "program over 20000 instructions"},
      {"m/" + std::string(20000, '|') + "/", 2 + 10000, "program over 20000 instructions"},
      {"m/" + Repeat("\\Qa.", 30) + "/", 2 + 30 * 4, "text over 131072 characters once \\Q is applied"}};
  for (const ErrorRow& row : rows) {
    char message[bregexp::kMessageSize];
    std::memset(message, 'X', sizeof message);
    void* compiled = nullptr;
    const size_t before = g_peak = g_live;
    const std::string shown = Show(row.expression.substr(0, 80));
    EXPECT_TRUE(Call(row.expression, "aaa", &compiled, message) == -1 && !compiled) << shown;
    EXPECT_LT(g_peak - before, size_t(8) << 20) << row.expression.size() << " bytes: " << message;
    ASSERT_NE(std::memchr(message, '\0', sizeof message), nullptr) << row.expression.size() << ": not terminated";
    const std::string text = message;
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    EXPECT_TRUE(ascii && text.find(row.reason) != std::string::npos &&
                text.find("at offset " + std::to_string(row.offset)) != std::string::npos)
        << shown << ": " << text;
  }
}

TEST(Api, ReusesTheHandleOnlyForTheSameTextAndReleasesIt) {
  bregexp::Free(nullptr);
  void *compiled = nullptr, *other = nullptr;
  char message[bregexp::kMessageSize] = "stale";
  ASSERT_EQ(Call("m/ab+c/", "xabbcx", &compiled, message), 1);
  EXPECT_STREQ(message, "");
  void* const first = compiled;
  EXPECT_TRUE(Call("m/ab+c/", "xacx", &compiled, message) == 0 && compiled == first) << "the same text's handle";
  EXPECT_EQ(Call("m/xyz/", "axyz", &compiled, message), 1) << "a handle from other text must not be reused";
  EXPECT_TRUE(Call("m/(/", "axyz", &compiled, message) == -1 && !compiled) << "a failed compile leaves no handle";
  // Handles of the same text share a cached program, which must outlive the first release.
  ASSERT_EQ(Call("m/c[ao]t/i", "CAT", &compiled, message), 1);
  ASSERT_EQ(Call("m/c[ao]t/i", "cot", &other, message), 1);
  bregexp::Free(compiled);
  compiled = nullptr;  // a released handle is never passed back in
  EXPECT_EQ(Call("m/c[ao]t/i", "cut", &other, message), 0);
  bregexp::Free(other);
  for (int k = 0; k < 300; ++k) {
    void* h = nullptr;
    ASSERT_EQ(Call("m/x" + std::to_string(k) + "/", "x" + std::to_string(k), &h, message), 1);
    bregexp::Free(h);
  }
  EXPECT_LE(bregexp::CachedPrograms(), bregexp::kCacheEntries);
  // The subject is a byte range: it may hold zero bytes, and a reversed or missing one is an error,
  // as is a missing expression or handle pointer.
  const std::string subject("a\0b", 3);
  EXPECT_EQ(Call("m/b/", subject, &compiled, message), 1);
  EXPECT_EQ(bregexp::MatchExpression("m/b/", subject.data(), subject.data() + 2, &compiled, message), 0);
  EXPECT_EQ(bregexp::MatchExpression("m/b/", subject.data() + 2, subject.data(), &compiled, message), -1);
  EXPECT_EQ(bregexp::MatchExpression("m/b/", nullptr, subject.data() + 3, &compiled, message), -1);
  EXPECT_EQ(bregexp::MatchExpression(nullptr, subject.data(), subject.data() + 3, &compiled, message), -1);
  EXPECT_EQ(bregexp::MatchExpression("m/b/", subject.data(), subject.data() + 3, nullptr, message), -1);
  bregexp::Free(compiled);
}
