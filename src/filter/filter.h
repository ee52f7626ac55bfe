// Filter engine: one run from the target list to the delivered result.
#pragma once

#include <windows.h>

// Runs the selected entry over the target list and delivers the result. `toClipboard` 1 puts
// the list on the clipboard, 0 starts SelectedProgram with it; `useRegexp` 1 tests files with
// the selected [regexp] entry (the caller has loaded the library), 0 with the [filter] entry.
void RunFilter(HWND owner, int toClipboard, int useRegexp);

// Tells the user how many items were left out for want of a usable name or path, when there were
// any, and forgets them: each item is reported once, whichever way the run ended.
void ReportLeftOut(HWND owner);

// Called once at start-up: an Esc press going on then does not stop a run until the key has been
// let go.
void NoteStopKeyAtStart();

// Adds the entries of `folder` (and, with AllLevels, of every folder below it) to the results.
void WalkFolder(HWND owner, const char* folder, int useRegexp);

// Returns 1 when the file at `path` passes the selected filter.
int TestItem(HWND owner, const char* path, int useRegexp);

// Returns 1 when a file with `extension` passes the selected [filter] entry.
int MatchExtension(const char* extension);

// Returns 1 when the file at `path` passes the selected [regexp] entry.
int SearchFile(HWND owner, const char* path);

// `release` 0 loads the regular-expression library (1 on success); 1 frees it.
int RegexpLibrary(int release);

// Picks the program that receives a run's result for an entry's `execLabel`: the [exec] row of
// that label, else the first row; without an existing program the result goes to the clipboard.
void ChooseProgram(const char* execLabel);
