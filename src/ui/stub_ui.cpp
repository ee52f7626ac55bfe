// Placeholder bodies until the popup menu, option dialog and progress window land.
#include "ui/ui.h"

int ShowPopupMenu(HWND, int) { return 0; }
void AppendFixedItems(HMENU) {}
INT_PTR CALLBACK OptionDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void OpenProgressWindow(HWND) {}
void SetProgressTitle(const char*) {}
void SetProgressLeftNote(const char*) {}
void SetProgressRightNote(const char*) {}
void SetProgressRange(int) {}
void StepProgress() {}
void CloseProgressWindow() {}
