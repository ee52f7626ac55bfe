// Parser from an expression in match-operator form to a syntax tree over characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sjis.h"

namespace bregexp {

struct Range {
  Code lo;
  Code hi;
};

// A set of character codes: sorted, disjoint, non-adjacent ranges.
using CharSet = std::vector<Range>;

bool SetContains(const CharSet& set, Code c);

enum class Assertion : uint8_t {
  kBeginText,       // \A, ^ without m
  kBeginLine,       // ^ with m: at the start, or after a line feed that is not last
  kEndText,         // \z
  kEndTextOrFinal,  // \Z, $ without m: at the end or before a final line feed
  kEndLine,         // $ with m: at the end or before any line feed
  kWordBoundary,
  kNotWordBoundary,
  kNotBeforeTrail,    // internal: next byte is not a trail byte (ends a lone lead byte)
  kNotBeforeNewline,  // internal: next character is not a line feed (\R's lone carriage return)
  kNotBeforeExtend,   // internal: next character is no sound mark (ends \X's cluster)
};

enum class NodeKind : uint8_t { kEmpty, kSet, kConcat, kAlt, kRepeat, kAssert };

constexpr int kUnbounded = -1;

// Children always have smaller indices than their parent, so one forward pass
// over the nodes visits every subtree before the node that owns it.
struct Node {
  NodeKind kind = NodeKind::kEmpty;
  Assertion assertion = Assertion::kBeginText;
  bool caseless = false;     // kSet made from one literal character under i
  int set = -1;              // kSet: index into Regex::sets
  int64_t literal = -1;      // kSet: the code when the node came from one literal character
  int min = 0;               // kRepeat
  int max = 0;               // kRepeat, or kUnbounded
  int first_kid = 0;         // kConcat, kAlt, kRepeat: index into Regex::kids
  int kid_count = 0;
  size_t offset = 0;         // byte offset in the expression text, for messages
};

struct Regex {
  std::vector<Node> nodes;
  std::vector<int> kids;
  std::vector<CharSet> sets;
  int root = -1;
};

struct ParseError {
  std::string what;
  size_t offset = 0;
};

constexpr int kMaxRepeat = 1000;
constexpr int kMaxNesting = 200;
constexpr int kMaxInstructions = 20000;
static_assert(int64_t(kMaxInstructions) * kMaxRepeat < INT32_MAX, "sizes are checked before they could overflow");

// Instructions a repeat of a subprogram of `child` instructions compiles to.
inline int64_t RepeatSize(int64_t child, int min, int max) {
  if (max == kUnbounded) return min == 0 ? child + 2 : min * child + 1;
  return min * child + int64_t(max - min) * (child + 1);
}

// Longer expression texts are refused before anything is decoded or built.
constexpr size_t kMaxExpressionBytes = 65536;
static_assert(kMaxExpressionBytes <= UINT32_MAX, "offsets into the expression are kept in 32 bits");

// Accepts m<d>pattern<d>flags, /pattern/flags, or a bare pattern. Fails with
// "program over 20000 instructions" as soon as the part of the program built
// so far needs more than kMaxInstructions, so an oversized pattern is never
// built whole.
bool ParseExpression(const std::string& text, Regex* out, ParseError* error);

}  // namespace bregexp
