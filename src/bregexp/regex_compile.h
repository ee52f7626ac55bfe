// Compiler from the syntax tree to a byte-level Thompson program with a literal prefilter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "regex_parse.h"

namespace bregexp {

enum class Op : uint8_t { kByteSet, kSplit, kJump, kAssert, kMatch };

// kByteSet consumes one byte in sets[set] and goes to pc + 1; kSplit goes to
// both x and y; kJump to x; kAssert to pc + 1 when the assertion holds.
struct Inst {
  Op op = Op::kMatch;
  Assertion assertion = Assertion::kBeginText;
  int32_t set = 0;
  int32_t x = 0;
  int32_t y = 0;
};

struct ByteSet {
  uint64_t bits[4] = {0, 0, 0, 0};
  bool Has(unsigned b) const { return (bits[b >> 6] >> (b & 63)) & 1; }
  void Add(unsigned b) { bits[b >> 6] |= uint64_t(1) << (b & 63); }
  bool Empty() const { return (bits[0] | bits[1] | bits[2] | bits[3]) == 0; }
  bool operator<(const ByteSet& o) const;
};

// A byte string every match contains. fold[k] is 1 where bytes[k] is a lower
// case ASCII letter that also matches its upper case.
struct Literal {
  std::string bytes;
  std::string fold;
};

constexpr size_t kMaxFlatClosure = 16;
constexpr int kMaxSkipBytes = 3;
static_assert(kMaxSkipBytes >= 1 && kMaxSkipBytes <= 16, "the skip compares each byte in one vector step");

struct Program {
  std::vector<Inst> insts;
  std::vector<ByteSet> sets;
  // Bytes that no instruction or assertion can tell apart share a class.
  uint8_t byte_class[256] = {};
  int class_count = 0;
  Literal required;
  // The pattern is exactly the required literal, so finding it decides the match.
  bool literal_only = false;
  // Jump and Split resolved ahead of time: closure_leaves[closure_first[pc] ..
  // closure_first[pc + 1]) are the ByteSet, Assert and Match instructions that
  // a thread resuming at pc reaches without consuming input. Only counters a
  // thread can resume at (0, and those after ByteSet or Assert) have entries,
  // and only while the list stays short (kMaxFlatClosure leaves): an empty list
  // means the matcher walks the instructions from pc instead. Short lists keep
  // the work per subject byte within a small multiple of the program size,
  // however many optional parts nest.
  std::vector<int32_t> closure_first;
  std::vector<int32_t> closure_leaves;
  // Where the pattern's own instructions start, after the loop that lets an unanchored match
  // start at any character (0 when the pattern is anchored).
  int32_t body = 0;
  // When no match is empty and every match's first byte is one of a few, those bytes
  // (skip_bytes[0 .. skip_count)); skip_count is 0 otherwise.
  uint8_t skip_bytes[kMaxSkipBytes] = {};
  int skip_count = 0;
};

// The number of instructions Compile emits for a set of codes.
int ClassInstructions(const CharSet& set);

bool Compile(const Regex& regex, Program* program, ParseError* error);

// Parses and compiles an expression in match-operator form.
bool CompileExpression(const std::string& text, Program* program, ParseError* error);

}  // namespace bregexp
