// Case folding pairs of the code page.
#include "sjis.h"

namespace bregexp {

namespace {

// Cyrillic lower case skips the trail byte 7F, which no character uses.
Code CyrillicLower(Code index) { return index < 15 ? 0x8470 + index : 0x8480 + (index - 15); }

}  // namespace

Code FoldPartner(Code c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0x8260 && c <= 0x8279) return c + 0x21;
  if (c >= 0x8281 && c <= 0x829A) return c - 0x21;
  if (c >= 0x839F && c <= 0x83B6) return c + 0x20;
  if (c >= 0x83BF && c <= 0x83D6) return c - 0x20;
  if (c >= 0x8440 && c <= 0x8460) return CyrillicLower(c - 0x8440);
  if (c >= 0x8470 && c <= 0x847E) return 0x8440 + (c - 0x8470);
  if (c >= 0x8480 && c <= 0x8491) return 0x8440 + 15 + (c - 0x8480);
  return c;
}

}  // namespace bregexp
