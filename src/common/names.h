// Names the code page cannot hold: exact conversion between the platform's wide names and the tables' ANSI paths.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/tables.h"

// Room for the longest wide path the platform takes, terminator included.
constexpr size_t kWidePathChars = 32768;

// Converts `length` wide characters to the system code page into `out` (`size` bytes, terminated).
// Succeeds only when every character converts exactly, with nothing best-fitted and no default
// character, and the text fits with its terminator. Returns the number of bytes, or -1.
int ToAnsiExactly(const wchar_t* text, size_t length, char* out, size_t size);

// True for a name (`length` characters) that path parsing would change: one that ends with a dot
// or a blank, other than "." and "..". Such a name is reached only through the prefix that turns
// parsing off, and is listed like a name that does not convert.
bool ParsingChangesName(const wchar_t* name, size_t length);

// True when a name of `path` (`length` characters) is one that path parsing would change.
bool HoldsChangedName(const wchar_t* path, size_t length);

// The ANSI name an item is listed under: its long name when that converts exactly and parsing
// leaves it as it is, else its short name when that does. Returns the number of bytes written to
// `out` (`size` bytes), or -1 when the item has neither (a volume without short names).
// `shortName` may be empty.
int ChooseAnsiName(const wchar_t* longName, const wchar_t* shortName, char* out, size_t size);

// The short name `shortName` (may be empty) converted exactly into `out` (`size` bytes); its length,
// or -1 when there is none that an ANSI path can carry.
int ShortAnsiName(const wchar_t* shortName, char* out, size_t size);

// The ANSI path of the item named by `path` (wide, at most kWidePathChars - 1 characters), by the
// one rule that every road follows, so that an item has one spelling whichever road brings it:
// each name that converts is kept as written, and only a name that does not is replaced by its
// short name; where that path would be kPathBytes or longer, the short form of the whole path.
// A folder's trailing backslash is cut first. `out` holds kPathBytes. Returns 1, or 0 when the
// item has no usable ANSI path.
int AnsiPathOf(const wchar_t* path, char* out);

// True unless the item that the table path `path` names reaches kPathBytes by the rule of
// AnsiPathOf over its long names, and so is spelled by the short form of its whole path; then so is
// every item below it.
bool NamewisePathFits(const char* path);

// The length of `path` (`length` characters, terminated there) without its trailing backslash when
// it names a folder. The cut comes before any length test or substitution, so that a folder of
// 259 bytes written with its backslash keeps its own spelling.
size_t FolderPathLength(const wchar_t* path, size_t length);

// The short form of a wide path in `out` (kPathBytes), when it converts exactly and fits.
// Returns its length in bytes, or -1.
int ShortAnsiPathOf(const wchar_t* path, char* out);

// `path` (`length` characters) as the platform's path functions take it: an absolute path that is
// long or holds a name that parsing would change gets the prefix that lifts the length limit and
// turns parsing off; any other path is returned as it is. The prefixed copy lives in one buffer
// that the next call reuses.
const wchar_t* PlatformPath(const wchar_t* path, size_t length);

// The true form of a table path for the wide outputs: converted to wide characters, with every
// short name expanded to the long name. Writes at most `size` characters with the terminator and
// returns the length.
size_t TrueWidePath(const char* path, wchar_t* out, size_t size);

// The extension (from the last dot of the final component) of the item's long name, converted
// exactly into `out` (kPartBytes). Used where a short name stands in for the long one. Returns
// false when the path holds no short name, or the long name cannot be read or converted.
bool LongNameExtension(const char* path, char* out);
