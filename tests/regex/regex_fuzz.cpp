// libFuzzer target: compiles fuzzed expressions and matches them, engines cross-checked, subject ending at a guard page.
//
// Input: the expression, a zero byte, then the subject. The subject is copied
// so that it ends exactly where an inaccessible page begins, so any read past
// its end faults instead of passing unnoticed.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bregexp_api.h"
#include "regex_exec.h"

namespace {

constexpr size_t kMaxSubject = 8192;

const unsigned char* PlaceBeforeGuard(const uint8_t* data, size_t size) {
  static unsigned char* guard = [] {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t usable = (kMaxSubject + page - 1) / page * page;
    auto* region = static_cast<unsigned char*>(
        mmap(nullptr, usable + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (region == MAP_FAILED || mprotect(region + usable, page, PROT_NONE) != 0) std::abort();
    return region + usable;
  }();
  unsigned char* begin = guard - size;
  if (size != 0) std::memcpy(begin, data, size);
  return begin;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t pattern_size = split ? size_t(split - data) : size;
  if (pattern_size > 512) return 0;
  const std::string expression(reinterpret_cast<const char*>(data), pattern_size);
  const size_t subject_size = split ? size - pattern_size - 1 : 0;
  if (subject_size > kMaxSubject) return 0;
  const unsigned char* begin = PlaceBeforeGuard(split ? split + 1 : data, subject_size);
  const unsigned char* end = begin + subject_size;

  bregexp::Program program;
  bregexp::ParseError error;
  if (!bregexp::CompileExpression(expression, &program, &error)) {
    if (error.offset > expression.size()) std::abort();
    return 0;
  }
  using E = bregexp::MatchOptions::Engine;
  bregexp::MatchOptions automatic, tiny, nfa;
  tiny.engine = E::kDfaOnly;
  tiny.dfa_cache_bytes = 1;
  tiny.use_prefilter = false;
  nfa.engine = E::kNfaOnly;
  nfa.use_prefilter = false;
  const bool a = bregexp::Match(program, begin, end, automatic);
  if (bregexp::Match(program, begin, end, tiny) != a || bregexp::Match(program, begin, end, nfa) != a) std::abort();

  void* compiled = nullptr;
  char message[bregexp::kMessageSize];
  const int r = bregexp::MatchExpression(expression.c_str(), reinterpret_cast<const char*>(begin),
                                         reinterpret_cast<const char*>(end), &compiled, message);
  if (r != (a ? 1 : 0)) std::abort();
  bregexp::Free(compiled);
  return 0;
}
