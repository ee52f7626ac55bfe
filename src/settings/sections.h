// Settings internals: the parse-from-memory entry point and the per-section line handlers.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

// Reads the whole of an open file into a zero-filled block one byte longer than the file, so the
// text stays terminated for the platform's string functions, and closes the file. Returns the
// block (the caller frees it with GlobalFree) and its data length in `read`, or null when the
// block cannot be had or the read fails.
char* ReadWholeFile(HANDLE file, DWORD* read);

// Parses a settings text of `length` bytes (no terminator needed) into the settings tables, after
// putting them into their starting state. LoadSettings calls it with the file's contents.
void ParseSettingsText(const char* text, size_t length);

// Offset of the first occurrence of `needle` (ASCII) in `text`, ignoring case and stepping by whole
// characters; the search ends at `length` or at a zero byte. Returns `length` when there is none.
size_t FindText(const char* text, size_t length, size_t from, std::string_view needle);

// The [system] handler: `line` is the prepared line (a kLineBytes buffer it may extend), `offset`
// and `extent` say where it stands in `text`. Returns how far the section scan advances.
size_t HandleSystemLine(char* line, const char* text, size_t length, size_t offset, size_t extent);

// The entry-section handlers. Each Begin clears the section's pending flag; each Handle takes one
// prepared line and returns 1 while the section goes on, 0 when its table is full.
void BeginFilterSection();
int HandleFilterLine(const char* line);
void BeginRegexpSection();
int HandleRegexpLine(const char* line);
void BeginExecSection();
int HandleExecLine(const char* line);
