// The "/#" switches of the command line, read into the switch state before the settings are loaded.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "settings/settings.h"
#include "targets/targets.h"

namespace {

constexpr size_t kAbandonLength = 259;  // a value that reaches this many bytes is dropped
constexpr size_t kSwitchLength = 4;     // "/#s=", "/#m=", and "/#f=" or "/#r=" before their quote
static_assert(kAbandonLength < kPathBytes, "an accepted value fits a path field");

// Collects the value that starts at `start` up to `terminator` or the end of the text into `value`
// (kRowBytes). Returns 1 when the terminator was met, 0 at the end of the text, -1 when the value
// was abandoned at kAbandonLength bytes.
int CollectValue(const char* start, char terminator, char* value) {
    size_t length = 0;
    for (const char* at = start;; ++at) {
        if (*at == terminator || *at == '\0') {
            value[length] = '\0';
            return *at == terminator ? 1 : 0;
        }
        value[length++] = *at;
        if (length == kAbandonLength) {
            value[0] = '\0';
            return -1;
        }
    }
}

void UseDefaultSettingsFile() {
    JoinField(SettingsPath, kPathBytes, ProgramFolder, DefaultSettingsName);
}

// "/#s=": a file name relative to the program's folder; every unusable name means the default.
void ReadSettingsSwitch(const char* text) {
    const char* found = StrStrIA(text, "/#s=");
    if (found == nullptr) {
        UseDefaultSettingsFile();
        return;
    }
    char name[kRowBytes];
    if (CollectValue(found + kSwitchLength, ' ', name) < 0 || name[0] == '\0' ||
        !JoinField(SettingsPath, kPathBytes, ProgramFolder, name) || !PathFileExistsA(SettingsPath)) {
        UseDefaultSettingsFile();
    }
}

void ReadMenuSwitch(const char* text) {
    const char* found = StrStrIA(text, "/#m=");
    if (found == nullptr) return;
    char value[kRowBytes];
    if (CollectValue(found + kSwitchLength, ' ', value) < 0 || value[0] == '\0') return;
    std::strcat(value, "\r\n");
    ParseMenuPlacement(value, 0);
}

// "/#f=" or "/#r=" with a quoted name, else the bare form; `key` is "/#f" or "/#r".
void ReadNameSwitch(const char* text, const char* key, int* state, char* stateText) {
    char quoted[8];
    wsprintfA(quoted, "%s=\"", key);
    const char* found = StrStrIA(text, quoted);
    if (found == nullptr) {
        if (StrStrIA(text, key)) *state = 1;
        return;
    }
    char value[kRowBytes];
    if (CollectValue(found + kSwitchLength + 1, '"', value) != 1 || std::strlen(value) < 2) return;
    CopyField(stateText, kPathBytes, value);
    *state = 2;
}

}  // namespace

void ParseSwitches(const char* text) {
    ReadSettingsSwitch(text);
    ReadMenuSwitch(text);
    ReadNameSwitch(text, "/#f", &FilterSwitch, FilterSwitchText);
    ReadNameSwitch(text, "/#r", &RegexpSwitch, RegexpSwitchText);
    StartAfterCopy = 0;
    CopyToClipboard = 0;
    if (StrStrIA(text, "/#e2")) {
        CopyToClipboard = 1;
        StartAfterCopy = 1;
    } else if (StrStrIA(text, "/#e1")) {
        CopyToClipboard = 1;
    }
}
