// Placeholder bodies until the target list lands.
#include "targets/targets.h"

void ParseSwitches(const char*) {}
void SplitTargets(const char*, int) {}
void ReadClipboardTargets(HWND) {}
void OpenWithProgram(const char*, const char*) {}
