// How a target text is cut into path tokens: one rule for the ANSI text and for the wide text it came from.
#pragma once

#include <cstddef>

#include "targets/targets.h"

// True for the characters that neither separate tokens nor belong to one: CR, tab, and a line
// feed in command-line mode.
template <typename Char>
bool IsIgnoredInToken(Char c, int mode) {
    return c == Char('\r') || c == Char('\t') || (c == Char('\n') && mode == kCommandLineMode);
}

// Cuts `text` (`length` characters, or up to a zero before them) into tokens. In command-line mode
// blanks outside double quotes separate tokens; in line mode line feeds do, and each ends an open
// quote. A double quote opens a new token and a closing quote ends its token. Calls `emit(first,
// end)` for every token: [first, end) is its span in `text`, from its first character to just
// behind its last, with the characters IsIgnoredInToken drops possibly inside. Stops when `emit`
// returns true.
template <typename Char, typename Emit>
void ScanTokens(const Char* text, size_t length, int mode, Emit emit) {
    constexpr size_t kNone = static_cast<size_t>(-1);
    size_t first = kNone;
    size_t end = 0;
    bool inQuotes = false;
    auto flush = [&]() {
        if (first == kNone) return false;
        size_t start = first;
        first = kNone;
        return emit(start, end);
    };
    for (size_t at = 0; at < length && text[at] != Char(0); ++at) {
        Char c = text[at];
        if (c == Char('"') && !inQuotes) {
            if (flush()) return;
            first = at;
            end = at + 1;
            inQuotes = true;
        } else if (c == Char('"')) {
            end = at + 1;
            inQuotes = false;
            if (flush()) return;
        } else if (c == Char(' ') && mode == kCommandLineMode && !inQuotes) {
            if (flush()) return;
        } else if (c == Char('\n') && mode == kLineMode) {
            inQuotes = false;
            if (flush()) return;
        } else if (!IsIgnoredInToken(c, mode)) {
            if (first == kNone) first = at;
            end = at + 1;
        }
    }
    flush();
}
