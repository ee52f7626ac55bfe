// Matching a compiled program against a subject: literal prefilter, lazy DFA, NFA simulation.
#pragma once

#include <cstddef>

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
  bool use_prefilter = true;
  // Use the Jump/Split closures resolved at compile time when the program has them.
  bool use_flat_closures = true;
  // When set, receives the work the DFA and NFA did (not the prefilter's): instructions and
  // closure entries looked at, counters encoded, and subject bytes read through the DFA's table.
  // Tests bound it by the program size.
  size_t* work = nullptr;
};

// Whether the program matches anywhere in [begin, end). Linear in end - begin;
// uses no recursion. Throws std::bad_alloc when memory runs out.
bool Match(const Program& program, const unsigned char* begin, const unsigned char* end,
           const MatchOptions& options = MatchOptions());

// Whether the literal occurs in [begin, end) starting on a character boundary.
bool FindLiteral(const Literal& literal, const unsigned char* begin, const unsigned char* end);

}  // namespace bregexp
