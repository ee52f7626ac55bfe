// Text helpers every subsystem shares: the path splitter, the name-equality rule and safe cuts.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/tables.h"

struct PathParts {
    char drive[kPartBytes];   // a letter and a colon, or empty
    char folder[kPartBytes];  // up to and including the last backslash or slash
    char base[kPartBytes];    // the final component without its extension
    char ext[kPartBytes];     // from the last dot of the final component on, dot included
};

// True when `c` starts a double-byte character of the system code page.
bool IsLeadByte(unsigned char c);

// Bytes of the character that starts at `text`: 2 for a lead byte and its trail, else 1. Trail
// bytes are never below 0x40, so a lead byte before a separator, CR, LF or the terminator is a
// byte of its own and the byte after it is read as itself.
int CharacterWidth(const char* text);

// True when `text` ends with a backslash character (a trail byte equal to a backslash does not count).
bool EndsWithBackslash(const char* text);

// Cuts `path` into its four parts; each part is cut to 255 bytes on a character boundary.
// A trail byte equal to a backslash never ends a folder name.
void SplitPath(const char* path, PathParts* parts);

// Two texts are the same name when their byte lengths agree and one contains the other
// ignoring case (StrStrIA), which with equal lengths is equality ignoring case.
bool NamesEqual(const char* a, const char* b);

// Copies at most `size` - 1 bytes of `text` into `field` and terminates it. A cut never leaves
// half a double-byte character behind: the lead byte is dropped with its trail. A lead byte that
// ends the text keeps room for the trail it lacks, so a full field always ends on a whole
// character. Returns the number of bytes stored.
size_t CopyField(char* field, size_t size, std::string_view text);

// Joins `head` and `tail` into `field` of `size` bytes. A joined text that does not fit is
// refused: the field is left empty and the result is false, so a name too long for its field
// names nothing. `field` must not overlap `head` or `tail`.
bool JoinField(char* field, size_t size, std::string_view head, std::string_view tail);

// The FilterKind selected by a first pattern: "folder" (6 characters), "file" (4), ".*" (2),
// compared without regard to case, else a pattern list.
int KindFromPattern(const char* firstPattern);
