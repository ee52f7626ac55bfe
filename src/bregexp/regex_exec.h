// Matching a compiled program against a subject: literal prefilter, start skipping, lazy DFA, NFA simulation.
#pragma once

#include <cstddef>
#include <memory>

#include "regex_compile.h"

namespace bregexp {

struct MatchOptions {
  enum class Engine {
    kAuto,      // lazy DFA, falling back to the NFA simulation when its cache thrashes
    kDfaOnly,   // lazy DFA that keeps clearing its cache however often it fills
    kNfaOnly,   // NFA simulation (Pike VM without captures) from the start
  };
  Engine engine = Engine::kAuto;
  size_t dfa_cache_bytes = size_t(4) << 20;
  // The literal prefilter, and skipping to the next byte that can start a match.
  bool use_prefilter = true;
  // Use the Jump/Split closures resolved at compile time when the program has them.
  bool use_flat_closures = true;
  // When set, receives the work the DFA and NFA did (not the prefilter's): instructions and
  // closure entries looked at, counters encoded, and subject bytes read through the DFA's table.
  // Tests bound it by the program size.
  size_t* work = nullptr;
};

// The lazy DFA's states and the matcher's scratch space for one program and one set of options,
// kept between calls so that a caller matching piece by piece (line by line, name by name) builds
// each state once. It holds at most dfa_cache_bytes of states (their kernels, table rows and
// index), plus scratch space linear in the program size; when the states reach that bound they
// are all dropped and built again as the subject needs them (see MatchOptions::Engine).
struct MatchCache;
void FreeMatchCache(MatchCache* cache) noexcept;
struct MatchCacheDeleter {
  void operator()(MatchCache* cache) const noexcept { FreeMatchCache(cache); }
};
using MatchCachePtr = std::unique_ptr<MatchCache, MatchCacheDeleter>;
// The memory a cache holds, in bytes.
size_t MatchCacheBytes(const MatchCache& cache) noexcept;

// Whether the program matches anywhere in [begin, end). Linear in end - begin;
// uses no recursion. Throws std::bad_alloc when memory runs out. With a cache, the states
// built by earlier calls with the same program and options are used, and this call's are kept;
// a cache made for another program or other options is replaced.
bool Match(const Program& program, const unsigned char* begin, const unsigned char* end,
           const MatchOptions& options = MatchOptions(), MatchCachePtr* cache = nullptr);

}  // namespace bregexp
