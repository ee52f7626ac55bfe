// Placeholder bodies until the popup menu and the option dialog land.
#include "ui/ui.h"

int ShowPopupMenu(HWND, int) { return 0; }
void AppendFixedItems(HMENU) {}
INT_PTR CALLBACK OptionDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
