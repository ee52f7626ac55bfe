// Case folding pairs and duplicate codes of the code page.
#include "sjis.h"

namespace bregexp {

namespace {

// Cyrillic lower case skips the trail byte 7F, which no character uses.
Code CyrillicLower(Code index) { return index < 15 ? 0x8470 + index : 0x8480 + (index - 15); }

}  // namespace

// Generated from Perl's Encode (cp932): every code that decodes to the same
// Unicode character as a smaller one, as runs, sorted by code.
const DuplicateRun kDuplicateRuns[] = {
    {0x8790, 0x81E0, 1},  {0x8791, 0x81DF, 1},  {0x8792, 0x81E7, 1},  {0x8795, 0x81E3, 1},  {0x8796, 0x81DB, 1},
    {0x8797, 0x81DA, 1},  {0x879A, 0x81E6, 1},  {0x879B, 0x81BF, 1},  {0x879C, 0x81BE, 1},  {0xEEF9, 0x81CA, 1},
    {0xFA40, 0xEEEF, 10}, {0xFA4A, 0x8754, 10}, {0xFA54, 0x81CA, 1},  {0xFA55, 0xEEFA, 3},  {0xFA58, 0x878A, 1},
    {0xFA59, 0x8782, 1},  {0xFA5A, 0x8784, 1},  {0xFA5B, 0x81E6, 1},  {0xFA5C, 0xED40, 35}, {0xFA80, 0xED63, 28},
    {0xFA9C, 0xED80, 97}, {0xFB40, 0xEDE1, 28}, {0xFB5C, 0xEE40, 35}, {0xFB80, 0xEE63, 28}, {0xFB9C, 0xEE80, 97},
    {0xFC40, 0xEEE1, 12},
};
const size_t kDuplicateRunCount = sizeof kDuplicateRuns / sizeof kDuplicateRuns[0];

Code Canonical(Code c) {
  for (const DuplicateRun& run : kDuplicateRuns) {
    if (c >= run.code && c < Code(run.code) + run.count) return run.canonical + (c - run.code);
  }
  return c;
}

int SameCharacter(Code c, Code out[3]) {
  const Code canonical = Canonical(c);
  int n = 0;
  out[n++] = canonical;
  for (const DuplicateRun& run : kDuplicateRuns) {
    if (canonical >= run.canonical && canonical < Code(run.canonical) + run.count && n < 3) {
      out[n++] = run.code + (canonical - run.canonical);
    }
  }
  return n;
}

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
  // Ⅰ..Ⅹ and ⅰ..ⅹ, in the NEC rows (8754, EEEF) and the IBM rows (FA4A, FA40).
  if (c >= 0x8754 && c <= 0x875D) return 0xEEEF + (c - 0x8754);
  if (c >= 0xEEEF && c <= 0xEEF8) return 0x8754 + (c - 0xEEEF);
  if (c >= 0xFA4A && c <= 0xFA53) return 0xFA40 + (c - 0xFA4A);
  if (c >= 0xFA40 && c <= 0xFA49) return 0xFA4A + (c - 0xFA40);
  return c;
}

namespace {

bool IsLower(Code c) {
  return (c >= 'a' && c <= 'z') || (c >= 0x8281 && c <= 0x829A) || (c >= 0x83BF && c <= 0x83D6) ||
         (c >= 0x8470 && c <= 0x8491) || (c >= 0xEEEF && c <= 0xEEF8) || (c >= 0xFA40 && c <= 0xFA49);
}

}  // namespace

Code ToUpper(Code c) { return IsLower(c) ? FoldPartner(c) : c; }

Code ToLower(Code c) { return IsLower(c) ? c : FoldPartner(c); }

}  // namespace bregexp
