// libFuzzer target: engines, API and work bound cross-checked on fuzzed input, the subject before a guard page.
//
// Input: the expression, a zero byte, then the subject. The subject is copied so that it ends
// where an inaccessible page begins, so any read past its end faults instead of passing unnoticed.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bregexp_api.h"
#include "regex_exec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMaxSubject = 8192;
  static unsigned char* const end = [] {
    const size_t page = size_t(sysconf(_SC_PAGESIZE)), usable = (kMaxSubject + page - 1) / page * page;
    void* region = mmap(nullptr, usable + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED || mprotect(static_cast<char*>(region) + usable, page, PROT_NONE) != 0) std::abort();
    return static_cast<unsigned char*>(region) + usable;
  }();
  const auto* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const std::string expression(reinterpret_cast<const char*>(data), split ? size_t(split - data) : size);
  const size_t subject_size = split ? size - expression.size() - 1 : 0;
  if (expression.size() > 512 || subject_size > kMaxSubject) return 0;
  unsigned char* const begin = end - subject_size;
  if (subject_size != 0) std::memcpy(begin, split + 1, subject_size);
  bregexp::Program program;
  bregexp::ParseError error;
  const bool compiled = bregexp::CompileExpression(expression, &program, &error);
  void* handle = nullptr;
  char message[bregexp::kMessageSize];
  const int api = bregexp::MatchExpression(expression.c_str(), reinterpret_cast<const char*>(begin),
                                           reinterpret_cast<const char*>(end), &handle, message);
  bregexp::Free(handle);
  // The library's answer, every engine's answer and the compiler's verdict must be one, and no
  // engine may do more work per subject byte than a small multiple of the program size.
  if (compiled ? api != int(bregexp::Match(program, begin, end)) : api != -1 || error.offset > expression.size()) {
    std::abort();
  }
  if (!compiled) return 0;
  const size_t bound = 24 * program.insts.size() * (subject_size + 2);
  using O = bregexp::MatchOptions;
  using E = O::Engine;
  for (O options : {O{}, O{E::kDfaOnly, 1, false, true}, O{E::kAuto, size_t(4) << 20, false, true},
                    O{E::kNfaOnly, 0, false, true}, O{E::kNfaOnly, 0, false, false}}) {
    size_t work = 0;
    options.work = &work;
    if (int(bregexp::Match(program, begin, end, options)) != api || work > bound) std::abort();
  }
  return 0;
}
