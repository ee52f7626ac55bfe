// Placeholder bodies until the filter engine lands.
#include "filter/filter.h"

void RunFilter(HWND, int, int) {}
void WalkFolder(HWND, const char*, int) {}
int TestItem(HWND, const char*, int) { return 0; }
int MatchExtension(const char*) { return 0; }
int SearchFile(HWND, const char*) { return 0; }
int RegexpLibrary(int) { return 0; }
