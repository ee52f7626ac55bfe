// Shift-JIS (cp932) character decoding, the characters the code page encodes twice, and case folding.
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

// The half-width voiced and semi-voiced sound marks, which Unicode's grapheme
// clusters attach to the character before them (\X).
constexpr unsigned kFirstExtendByte = 0xDE;
constexpr unsigned kLastExtendByte = 0xDF;
constexpr bool IsExtendByte(unsigned b) { return b >= kFirstExtendByte && b <= kLastExtendByte; }

// Length in bytes of the character starting at p; a lead byte without a valid
// trail byte after it (or at the end) is a character of one byte.
inline size_t CharLength(const unsigned char* p, const unsigned char* end) {
  return (IsLead(p[0]) && p + 1 < end && IsTrail(p[1])) ? 2 : 1;
}

inline Code DecodeChar(const unsigned char* p, size_t len) {
  return len == 2 ? (Code(p[0]) << 8 | p[1]) : Code(p[0]);
}

// The code page gives some characters two or three codes (the NEC and IBM
// extensions: Roman numerals, ∵, ￢, many kanji); they decode to one Unicode
// character, so they are one character here too. Canonical is the smallest of
// a character's codes; SameCharacter lists all of them (at most 3) and returns
// their number.
Code Canonical(Code c);
int SameCharacter(Code c, Code out[3]);

// The other case of c, or c itself: ASCII letters, and the full-width Latin,
// Greek, Cyrillic and Roman-numeral pairs of the code page (as Perl folds the
// Unicode characters they decode to); nothing else. ToUpper and ToLower map
// within those pairs, as Perl's uc and lc do on the decoded characters.
Code FoldPartner(Code c);
Code ToUpper(Code c);
Code ToLower(Code c);

// Runs of duplicate codes: code + k is the same character as canonical + k for k < count.
struct DuplicateRun {
  uint16_t code;
  uint16_t canonical;
  uint16_t count;
};
extern const DuplicateRun kDuplicateRuns[];
extern const size_t kDuplicateRunCount;

// Calls visit(code, canonical) for every code that is not its character's canonical one.
template <typename Visit>
void ForEachDuplicate(Visit visit) {
  for (size_t r = 0; r < kDuplicateRunCount; ++r) {
    const DuplicateRun& run = kDuplicateRuns[r];
    for (Code k = 0; k < run.count; ++k) visit(Code(run.code) + k, Code(run.canonical) + k);
  }
}

}  // namespace bregexp
