// Placeholder bodies until the settings reader lands; the program then runs with empty tables.
#include "settings/settings.h"

#include "common/tables.h"

int LoadSettings(HWND) {
    if (MenuPlacement.mode == PlacementMode::Unset) MenuPlacement.mode = PlacementMode::Active;
    return 1;
}
size_t ReadSettingsLine(const char*, size_t, size_t, char* line) {
    line[0] = '\0';
    return 1;
}
void ParseMenuPlacement(const char*, int) {}
size_t ReadParamTable(const char*, size_t, size_t) { return 0; }
void ReadSearchPathFile(const char*) {}
int SplitPatternList(const char*, int) { return 0; }
int ResolveProgramPath(const char*, int, char*) { return 0; }
void ExpandMacros(const char*, char* result) { result[0] = '\0'; }
