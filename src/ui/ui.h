// User interface: the popup menu, the option dialog and the progress window.
#pragma once

#include <windows.h>

// Shows the popup menu and carries out the pick. `fixedOnly` 1 lists only the fixed items.
// Returns 1 when a command was carried out, 0 when nothing was.
int ShowPopupMenu(HWND owner, int fixedOnly);

// Appends the fixed items: Drop, the settings file, Help and Version.
void AppendFixedItems(HMENU menu);

// Dialog procedure of the "OPTION" dialog; the dialog ends with OptionResult (OK) or 0 (CANCEL).
INT_PTR CALLBACK OptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The progress window: opened by a long filter run or a long sort, owned by `owner`. It is
// written only by direct calls, since no message loop runs meanwhile; the calls paint what they
// changed themselves, the per-file note and step at most every 30 ms with the latest state.
// Opening creates ProgressFont, closing deletes it. The range setter also sets step 1.
void OpenProgressWindow(HWND owner);
void SetProgressTitle(const char* text);
void SetProgressLeftNote(const char* text);
void SetProgressRightNote(const char* text);
void SetProgressRange(int maximum);
void StepProgress();
void CloseProgressWindow();
