// Compile cost: an oversized expression is refused before it is built, with a message, whatever
// its length. Every allocation of this test program is counted, so the test sees the peak.
#include <atomic>
#include <cstdlib>
#include <new>

#include "bregexp_api.h"
#include "test_util.h"

namespace {

std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};
constexpr size_t kHeader = alignof(std::max_align_t);

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int k = 0; k < times; ++k) out += piece;
  return out;
}

}  // namespace

// The replacements below free what they allocated themselves; GCC cannot see that through the header.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif

void* operator new(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  const size_t live = g_live += size;
  for (size_t peak = g_peak; live > peak && !g_peak.compare_exchange_weak(peak, live);) {
  }
  return static_cast<char*>(block) + kHeader;
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  g_live -= *static_cast<size_t*>(block);
  std::free(block);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }

TEST(CompileCost, OversizedExpressionsAreRefusedBeforeTheyAreBuilt) {
  const struct { std::string expression; const char* reason; size_t offset; } rows[] = {
      {"m/" + std::string(size_t(1) << 20, '.') + "/", "expression over 65536 bytes", 65536},
      {"m/" + std::string(60000, '.') + "/", "program over 20000 instructions", 2 + 20000 / 9},
      {"m/" + std::string(60000, 'a') + "/", "program over 20000 instructions", 2 + 20000},
      {"m/(?:" + std::string(30000, '.') + "){0}/", "program over 20000 instructions", 5 + 20000 / 9},
      {"m/" + std::string(20000, '|') + "/", "program over 20000 instructions", 2 + 10000},
      // Each nested \Q doubles the backslashes before it (found by the fuzzer).
      {"m/" + Repeat("\\Qa.", 30) + "/", "text over 131072 characters once \\Q is applied", 2 + 30 * 4},
  };
  for (const auto& row : rows) {
    char message[bregexp::kMessageSize];
    void* compiled = nullptr;
    const size_t before = g_live;
    g_peak = before;
    const std::string subject = "abc";
    const char* const text = subject.c_str();
    EXPECT_EQ(bregexp::MatchExpression(row.expression.c_str(), text, text + subject.size(), &compiled, message), -1);
    const std::string expected = std::string(row.reason) + " at offset " + std::to_string(row.offset);
    EXPECT_EQ(std::string(message), expected) << row.expression.size() << " bytes";
    // The text decoded (8 bytes a character, twice) and at most 20000 nodes of the tree.
    EXPECT_LT(g_peak - before, size_t(8) << 20) << row.expression.size() << " bytes: " << message;
  }
}
