// Finding, reading and scanning the settings file: the line reader and the four section scans.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "settings/sections.h"
#include "settings/settings.h"

namespace {

enum class Section { System, Filter, Regexp, Exec };

constexpr char kEndMarker[] = "%end";  // compared over its own length only
constexpr char kSharedSettingsName[] = "Korval.ini";  // tried when no file of the program's own name exists

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Removes leading blanks in place; returns false for a line of blanks only.
bool StripLeadingBlanks(char* line) {
    size_t first = 0;
    while (IsBlank(line[first])) ++first;
    if (line[first] == '\0') return false;
    if (first > 0) std::memmove(line, line + first, std::strlen(line + first) + 1);
    return true;
}

// Hands one prepared line to the section's handler; returns 0 when the section ends there.
int DispatchLine(Section section, char* line, const char* text, size_t length, size_t offset,
                 size_t* advance) {
    switch (section) {
    case Section::System:
        *advance = HandleSystemLine(line, text, length, offset, *advance);
        return 1;
    case Section::Filter:
        return HandleFilterLine(line);
    case Section::Regexp:
        return HandleRegexpLine(line);
    case Section::Exec:
        return HandleExecLine(line);
    }
    return 0;
}

// Reads the lines after the first occurrence of `header` until "%end", the end of the complete
// lines, or a full table.
void ScanSection(const char* text, size_t length, std::string_view header, Section section) {
    size_t position = FindText(text, length, 0, header);
    if (position >= length) return;
    char line[kLineBytes];
    position += ReadSettingsLine(text, length, position, line);
    const bool commentsAllowed = section != Section::Exec;
    while (position < length) {
        size_t extent = ReadSettingsLine(text, length, position, line);
        if (position + extent > length) return;
        size_t advance = extent;
        if (StripLeadingBlanks(line) && !(commentsAllowed && line[0] == ';')) {
            if (StrCmpNIA(line, kEndMarker, sizeof kEndMarker - 1) == 0) return;
            if (!DispatchLine(section, line, text, length, position, &advance)) return;
        }
        position += advance;
    }
}

void ClearStartingState() {
    SystemOptions.paramMode = 0;
    ParamEntryCount = 0;
    SelectedFilterIndex = 0;
    FilterKind = kKindAll;
    FilterEntryCount = 0;
    AllLevels = 0;
    SystemOptions.sortMode = 0;
    SystemOptions.keepFolderBackslash = 0;
    SystemOptions.showProgress = 0;
    SystemOptions.editorPath[0] = '\0';
    SystemOptions.searchPathSet = 0;
}

void ReportUnusableFile(HWND owner) {
    SetForegroundWindow(owner);
    MessageBoxA(owner, "設定ファイル異常", "Korval", MB_OK);
}

// True when `path` names an existing file; a name that did not fit its field is empty and names none.
bool Exists(const char* path) {
    return path[0] != '\0' && PathFileExistsA(path);
}

// Picks the first candidate that exists and opens it; the path opened goes to `opened`.
HANDLE OpenSettingsFile(char* opened) {
    DWORD disposition = OPEN_ALWAYS;
    if (Exists(SettingsPath)) {
        CopyField(opened, kPathBytes, SettingsPath);
        disposition = OPEN_EXISTING;
    } else {
        JoinField(opened, kPathBytes, ProgramFolder, DefaultSettingsName);
        char alternative[kPathBytes];
        JoinField(alternative, kPathBytes, ProgramFolder, kSharedSettingsName);
        if (!Exists(opened) && Exists(alternative)) CopyField(opened, kPathBytes, alternative);
    }
    if (opened[0] == '\0') return INVALID_HANDLE_VALUE;
    return CreateFileA(opened, GENERIC_READ, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

size_t FindText(const char* text, size_t length, size_t from, std::string_view needle) {
    size_t at = from;
    while (at < length && text[at] != '\0') {
        if (needle.size() <= length - at) {
            size_t matched = 0;
            while (matched < needle.size() && LowerAscii(text[at + matched]) == LowerAscii(needle[matched])) {
                ++matched;
            }
            if (matched == needle.size()) return at;
        }
        at += (IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < length && text[at + 1] != '\0') ? 2 : 1;
    }
    return length;
}

char* ReadWholeFile(HANDLE file, DWORD* read) {
    DWORD size = GetFileSize(file, nullptr);
    char* block = static_cast<char*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(size) + 1));
    *read = 0;
    if (block != nullptr && !ReadFile(file, block, size, read, nullptr)) {
        GlobalFree(block);
        block = nullptr;
    }
    CloseHandle(file);
    return block;
}

size_t ReadSettingsLine(const char* text, size_t length, size_t start, char* line) {
    if (start >= length) {
        line[0] = '\0';
        return 1;
    }
    // One byte beyond the kept length shows whether the cut would split a double-byte character.
    char raw[kMaxLineText + 1];
    size_t stored = 0;
    size_t at = start;
    for (; at < length && text[at] != '\n'; ++at) {
        char c = text[at];
        if (c == '\r' || c == '\t') continue;
        if (stored < sizeof raw) raw[stored++] = c;
    }
    CopyField(line, kMaxLineText + 1, std::string_view(raw, stored));
    return at < length ? at - start + 1 : length - start + 1;
}

void ParseSettingsText(const char* text, size_t length) {
    ClearStartingState();
    ScanSection(text, length, "[system]", Section::System);
    if (MenuPlacement.mode == PlacementMode::Unset) MenuPlacement.mode = PlacementMode::Active;
    BeginFilterSection();
    ScanSection(text, length, "[filter]", Section::Filter);
    RegexpEntryCount = 0;
    BeginRegexpSection();
    ScanSection(text, length, "[regexp]", Section::Regexp);
    ExecEntryCount = 0;
    BeginExecSection();
    ScanSection(text, length, "[exec]", Section::Exec);
}

int LoadSettings(HWND owner) {
    char opened[kPathBytes];
    HANDLE file = OpenSettingsFile(opened);
    if (file == INVALID_HANDLE_VALUE) {
        ReportUnusableFile(owner);
        return 0;
    }
    DWORD read = 0;
    char* text = ReadWholeFile(file, &read);
    if (text == nullptr) {
        ReportUnusableFile(owner);
        return 0;
    }
    CopyField(SettingsPath, kPathBytes, opened);
    ParseSettingsText(text, read);
    GlobalFree(text);
    return 1;
}
