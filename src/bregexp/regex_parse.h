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
  kNotBeforeTrail,  // internal: next byte is not a trail byte (ends a lone lead byte)
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

// Accepts m<d>pattern<d>flags, /pattern/flags, or a bare pattern.
bool ParseExpression(const std::string& text, Regex* out, ParseError* error);

}  // namespace bregexp
