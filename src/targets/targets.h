// Targets subsystem: command-line switches, the target list and the small program launcher.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr int kCommandLineMode = 0;
constexpr int kLineMode = 1;

// Reads the "/#" switches of the command line into the switch state.
void ParseSwitches(const char* text);

// Rebuilds the target list from `text` in command-line mode or line mode.
void SplitTargets(const char* text, int mode);

// Rebuilds the target list from the clipboard: a file list first, else text.
void ReadClipboardTargets(HWND owner);

// Opens `document` with `program` in the program's folder, or with its associated program when
// `program` names nothing that exists.
void OpenWithProgram(const char* program, const char* document);

// SplitTargets over the first `length` bytes of `text` (or up to a zero byte before them).
void SplitTargetText(const char* text, size_t length, int mode);

// Sorts one path into the target tables by what it names: a folder (stored without its trailing
// separator), an existing file, or nothing. `path` is a kRowBytes buffer the call may change.
// Returns 1 when the tables now hold kMaxTargets entries.
int StoreTarget(char* path);
