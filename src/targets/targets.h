// Targets subsystem: command-line switches, the target list and the small program launcher.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

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

// The command line to work with: `ansiText` as the platform handed it, unless the wide command
// line holds a path that the code page cannot hold or that is 260 bytes or longer; then the wide
// text with every such path replaced by its short form in double quotes (or dropped and counted
// as left out when it has none).
char* ReadableCommandLine(char* ansiText);

// Rewrites the wide target text `text` (`length` characters, or up to a zero before them) for
// SplitTargetText in `mode`: a token whose path names an item but does not convert exactly, or is
// 260 bytes or longer, becomes the item's short form in double quotes, or is dropped and counted as
// left out when there is none. Returns false when no token needed that; `out` then holds the text
// converted as it is.
bool RewriteUnusablePaths(const wchar_t* text, size_t length, int mode, std::string* out);

// The ANSI path of a wide path, as AnsiPathOf gives it; an item that exists but has none is noted
// as left out (NoteLeftOutInput). Returns 1 when `out` (kPathBytes) holds a path.
int AnsiPathOfItem(const wchar_t* path, char* out);
