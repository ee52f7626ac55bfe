// What KorvalSetup does, decided without touching the system: its switches, and the shortcut
// names and arguments that the loaded [filter] and [regexp] tables give.
#include "setup/setup.h"

#include <shlwapi.h>

#include <cstring>
#include <string_view>

#include "common/text.h"

namespace {

constexpr char kInstallSwitch[] = "/install";
constexpr char kUninstallSwitch[] = "/uninstall";
constexpr char kEntriesSwitch[] = "/entries";
constexpr char kQuietSwitch[] = "/quiet";

// Korval takes a quoted switch value back only when it has 2 to 258 bytes and no double quote.
constexpr size_t kMinSwitchValueBytes = 2;
constexpr size_t kMaxSwitchValueBytes = 258;

// The highest " (n)" suffix that can be needed: every shortcut of both tables sharing one name.
static_assert(kMaxEntryShortcuts < 100, "a name suffix has at most two digits");

constexpr std::string_view kDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool NotAllowedInFileName(unsigned char c) {
    return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

// The system takes a name for a device when its part before the first dot, trailing blanks
// dropped, is a device name.
bool NamesDevice(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (std::string_view device : kDeviceNames) {
        if (stem.size() == device.size() && StrCmpNIA(stem.data(), device.data(), static_cast<int>(device.size())) == 0) {
            return true;
        }
    }
    return false;
}

bool UsableAsSwitchValue(const char* label) {
    size_t length = std::strlen(label);
    return length >= kMinSwitchValueBytes && length <= kMaxSwitchValueBytes && std::strchr(label, '"') == nullptr;
}

template <typename Row>
bool EqualsEarlierLabel(const Row* rows, int index) {
    for (int earlier = 0; earlier < index; ++earlier) {
        if (NamesEqual(rows[earlier].label, rows[index].label)) return true;
    }
    return false;
}

bool FileNameTaken(const EntryShortcut* shortcuts, int count, const char* name) {
    for (int i = 0; i < count; ++i) {
        if (NamesEqual(shortcuts[i].fileName, name)) return true;
    }
    return false;
}

// The file name of a label's shortcut without ".lnk"; see MakeShortcutFileName.
void MakeShortcutBase(const char* label, char* base) {
    size_t length = 0;
    if (NamesDevice(label)) base[length++] = '_';
    size_t cut = CopyField(base + length, kMaxShortcutBaseBytes + 1 - length, label);
    for (size_t i = length; i < length + cut; ++i) {
        unsigned char c = static_cast<unsigned char>(base[i]);
        if (IsLeadByte(c) && i + 1 < length + cut) {
            ++i;
        } else if (NotAllowedInFileName(c)) {
            base[i] = '_';
        }
    }
    length += cut;
    if (length == 0) base[length++] = '_';
    base[length] = '\0';
}

// Adds the shortcut for one label unless its name is already taken, in which case the first
// free " (n)" suffix goes before ".lnk".
void AddShortcut(EntryShortcut* shortcuts, int* count, const char* label, const char* switchText) {
    EntryShortcut& shortcut = shortcuts[*count];
    char base[kPathBytes];
    MakeShortcutBase(label, base);
    wsprintfA(shortcut.fileName, "%s%s", base, kShortcutExtension);
    for (int suffix = 2; FileNameTaken(shortcuts, *count, shortcut.fileName); ++suffix) {
        wsprintfA(shortcut.fileName, "%s (%d)%s", base, suffix, kShortcutExtension);
    }
    wsprintfA(shortcut.arguments, "%s\"%s\"", switchText, label);
    CopyField(shortcut.label, kPathBytes, label);
    ++*count;
}

}  // namespace

SetupRequest ParseSetupCommandLine(const char* text) {
    int install = 0;
    int uninstall = 0;
    int words = 0;
    int unknown = 0;
    SetupRequest request{SetupAction::Ask, 0, 0};
    std::string_view rest(text != nullptr ? text : "");
    while (!rest.empty()) {
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        if (end == 0) break;
        char word[kPathBytes];
        CopyField(word, sizeof word, rest.substr(0, end));
        rest.remove_prefix(end);
        ++words;
        if (NamesEqual(word, kInstallSwitch)) {
            install = 1;
        } else if (NamesEqual(word, kUninstallSwitch)) {
            uninstall = 1;
        } else if (NamesEqual(word, kEntriesSwitch)) {
            request.withEntries = 1;
        } else if (NamesEqual(word, kQuietSwitch)) {
            request.quiet = 1;
        } else {
            unknown = 1;
        }
    }
    if (unknown || (install && uninstall)) {
        request.action = SetupAction::Invalid;
    } else if (install) {
        request.action = SetupAction::Install;
    } else if (uninstall) {
        request.action = SetupAction::Uninstall;
    } else if (words > 0) {
        request.action = SetupAction::Invalid;
    }
    return request;
}

void MakeShortcutFileName(const char* label, char* name) {
    char base[kPathBytes];
    MakeShortcutBase(label, base);
    wsprintfA(name, "%s%s", base, kShortcutExtension);
}

int PlanEntryShortcuts(EntryShortcut* shortcuts) {
    int count = 0;
    for (int i = 0; i < FilterEntryCount; ++i) {
        if (UsableAsSwitchValue(FilterEntry[i].label) && !EqualsEarlierLabel(FilterEntry, i)) {
            AddShortcut(shortcuts, &count, FilterEntry[i].label, "/#f=");
        }
    }
    for (int i = 0; i < RegexpEntryCount; ++i) {
        if (UsableAsSwitchValue(RegexpEntry[i].label) && !EqualsEarlierLabel(RegexpEntry, i)) {
            AddShortcut(shortcuts, &count, RegexpEntry[i].label, "/#r=");
        }
    }
    return count;
}
