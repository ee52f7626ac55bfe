// Shift-JIS (cp932) character decoding and the case folding the matcher honours.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bregexp {

// A character is a code: a single byte is its own value (0..FF), a double-byte
// character is lead * 256 + trail (8140..FCFC). The two ranges never overlap.
using Code = uint32_t;

constexpr Code kMaxCode = 0xFFFF;

constexpr bool IsLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsTrail(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
constexpr bool IsWordByte(unsigned b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_';
}

// Length in bytes of the character starting at p; a lead byte without a valid
// trail byte after it (or at the end) is a character of one byte.
inline size_t CharLength(const unsigned char* p, const unsigned char* end) {
  return (IsLead(p[0]) && p + 1 < end && IsTrail(p[1])) ? 2 : 1;
}

inline Code DecodeChar(const unsigned char* p, size_t len) {
  return len == 2 ? (Code(p[0]) << 8 | p[1]) : Code(p[0]);
}

// The other case of c, or c itself. Folds ASCII letters and the full-width
// Latin, Greek and Cyrillic letters of the code page; nothing else.
Code FoldPartner(Code c);

}  // namespace bregexp
