// Settings subsystem: reading the settings file into the process-wide tables.
#pragma once

#include <windows.h>

#include <cstddef>

// Finds, opens, reads and parses the settings file. Returns 1 when a file was opened and read
// (whatever its content), 0 after telling the user that it could not be.
int LoadSettings(HWND owner);

// Reads the line that starts at `start` of `text` (`length` valid bytes) into `line`, a buffer of
// kLineBytes, dropping CR and tab and keeping at most 517 bytes (a cut never keeps the lead byte
// of a character whose trail falls beyond it). Returns the line's extent: the
// bytes from `start` through its line feed, or the bytes left plus one when no line feed follows.
size_t ReadSettingsLine(const char* text, size_t length, size_t start, char* line);

// Sets MenuPlacement from `text`, which ends with "\r\n", read from `start` on.
void ParseMenuPlacement(const char* text, int start);

// Reads the @param pairs that follow the "@param" line at `offset`; returns the table's extent.
size_t ReadParamTable(const char* text, size_t length, size_t offset);

// Fills searchPath from a search-path file.
void ReadSearchPathFile(const char* path);

// Stores `text` as FilterEntry[row].patternText and cuts it into patterns. Returns 1 when at least
// one pattern resulted.
int SplitPatternList(const char* text, int row);

// Resolves a program or file name to the full path of an existing file or folder. Returns 1 and
// the path in `result` (kPathBytes) when found, else 0 and the name unchanged.
int ResolveProgramPath(const char* name, int allowExeRetry, char* result);

// Expands folder macros, then @param keys. `result` receives at most kExpandBytes - 1 bytes.
void ExpandMacros(const char* text, char* result);

// ExpandMacros when the settings hold an "@param" line, else a plain copy into `result`
// (kExpandBytes): the one rule for [exec] lines, the editor and target paths.
void ExpandWhenParamMode(const char* text, char* result);
