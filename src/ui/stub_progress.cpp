// Placeholder bodies until the progress window lands.
#include "ui/ui.h"

void OpenProgressWindow(HWND) {}
void SetProgressTitle(const char*) {}
void SetProgressLeftNote(const char*) {}
void SetProgressRightNote(const char*) {}
void SetProgressRange(int) {}
void StepProgress() {}
void CloseProgressWindow() {}
