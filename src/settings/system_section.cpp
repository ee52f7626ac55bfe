// The [system] section: its nine directives, the menu placement, the @param table and the search path.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "settings/sections.h"
#include "settings/settings.h"

namespace {

constexpr int kPlacementTokenBytes = 6;
constexpr int kMenuValueMinimum = 3;  // characters after "@menu=" that make the line count
constexpr int kMenuValueOffset = 6;   // where the value of an "@menu=" line starts
constexpr char kPathKey[] = "path=";
static_assert(sizeof "@menu=" - 1 == kMenuValueOffset, "the placement is read right behind \"@menu=\"");
static_assert(kPlacementTokenBytes < kPathBytes, "a placement token is a short word or number");

enum class Directive { Param, Path, Menu, Sub, Sort1, Sort2, Backslash, Bar, Editor, None };

struct DirectiveName {
    const char* text;
    Directive directive;
};

// Tried in this order; only the directive's own length is compared.
constexpr DirectiveName kDirectives[] = {
    {"@param", Directive::Param},   {"@path=", Directive::Path},  {"@menu=", Directive::Menu},
    {"@sub", Directive::Sub},       {"@sort=1", Directive::Sort1}, {"@sort=2", Directive::Sort2},
    {"@bs", Directive::Backslash},  {"@bar", Directive::Bar},     {"@editor=", Directive::Editor},
};
static_assert(sizeof kDirectives / sizeof kDirectives[0] == 9, "the [system] section knows nine directives");

Directive FindDirective(const char* line, const char** value) {
    for (const DirectiveName& name : kDirectives) {
        int length = lstrlenA(name.text);
        if (StrCmpNIA(line, name.text, length) == 0) {
            *value = line + length;
            return name.directive;
        }
    }
    return Directive::None;
}

void SetSearchPath(const char* value) {
    if (value[0] == '\0') return;
    char found[kPathBytes];
    if (ResolveProgramPath(value, 0, found) && !PathIsDirectoryA(found)) {
        ReadSearchPathFile(found);
        return;
    }
    CopyField(SystemOptions.searchPath, kSearchPathBytes, value);
    SystemOptions.searchPathSet = 1;
}

void SetMenuFromSettings(char* line, const char* value) {
    if (MenuPlacement.mode != PlacementMode::Unset) return;
    if (std::strlen(value) < kMenuValueMinimum) return;
    std::strcat(line, "\r\n");  // the line buffer keeps room for it
    ParseMenuPlacement(line, kMenuValueOffset);
}

void SetEditor(const char* value) {
    char expanded[kExpandBytes];
    ExpandWhenParamMode(value, expanded);
    char found[kPathBytes];
    if (ResolveProgramPath(expanded, 1, found) && !PathIsDirectoryA(found)) {
        CopyField(SystemOptions.editorPath, kPathBytes, found);
    }
}

// The placement words that end reading; returns false for a token that is none of them.
bool TakePlacementWord(const char* token) {
    if (StrStrIA(token, "mouse")) {
        if (MouseButtonCount != 0) MenuPlacement.mode = PlacementMode::Mouse;
        return true;
    }
    if (StrStrIA(token, "mous2")) {
        if (MouseButtonCount != 0) MenuPlacement.mode = PlacementMode::Mouse2;
        return true;
    }
    if (StrStrIA(token, "center")) {
        MenuPlacement.mode = PlacementMode::Center;
        return true;
    }
    if (StrStrIA(token, "active")) {
        MenuPlacement.mode = PlacementMode::Active;
        return true;
    }
    return false;
}

// `yAtEdge`: the y token reads MAX, which is the screen's edge; otherwise it is a number.
void SetExplicitPlacement(int x, bool xAtEdge, bool yAtEdge, const char* yToken) {
    MenuPlacement = {PlacementMode::Explicit, x, yAtEdge ? MaximizedHeight : StrToIntA(yToken), xAtEdge, yAtEdge};
}

// The token read so far. The first character that does not fit whole ends it: the characters
// after it, up to the next separator, are dropped.
struct PlacementToken {
    char text[kPlacementTokenBytes + 1];
    int length;
    bool ended;
};

void ClearToken(PlacementToken* token) {
    token->text[0] = '\0';
    token->length = 0;
    token->ended = false;
}

void AppendToToken(PlacementToken* token, const char* at, int width) {
    if (token->ended || token->length + width > kPlacementTokenBytes) {
        token->ended = true;
        return;
    }
    std::memcpy(token->text + token->length, at, static_cast<size_t>(width));
    token->length += width;
    token->text[token->length] = '\0';
}

}  // namespace

void ParseMenuPlacement(const char* text, int start) {
    MenuPlacement.mode = PlacementMode::Active;
    PlacementToken token;
    ClearToken(&token);
    bool xRead = false;
    bool xAtEdge = false;
    int x = 0;
    for (const char* at = text + start; *at != '\0';) {
        char c = *at;
        if (c == ',') {
            if (xRead) {
                SetExplicitPlacement(x, xAtEdge, StrStrIA(token.text, "MAX") != nullptr, token.text);
                return;
            }
            if (StrStrIA(token.text, "MAX")) {
                x = ScreenWidth;
                xAtEdge = true;
            } else {
                if (TakePlacementWord(token.text)) return;
                x = StrToIntA(token.text);
            }
            xRead = true;
            ClearToken(&token);
        } else if (c == '\r' || c == '\n') {
            if (!xRead) {
                TakePlacementWord(token.text);
                return;
            }
            SetExplicitPlacement(x, xAtEdge, std::strcmp(token.text, "MAX") == 0, token.text);
            return;
        } else {
            int width = CharacterWidth(at);
            AppendToToken(&token, at, width);
            at += width;
            continue;
        }
        ++at;
    }
}

size_t ReadParamTable(const char* text, size_t length, size_t offset) {
    SystemOptions.paramMode = 1;
    ParamEntryCount = 0;
    char line[kLineBytes];
    size_t tableExtent = ReadSettingsLine(text, length, offset, line);
    while (ParamEntryCount < kMaxParams) {
        size_t position = offset + tableExtent;
        size_t extent = ReadSettingsLine(text, length, position, line);
        if (position + extent > length) break;
        const char* separator = StrStrIA(line, " | ");
        if (separator == nullptr) break;
        // An empty key would be found everywhere; its pair line still belongs to the table.
        if (separator != line) {
            ParamEntryRow& row = ParamEntry[ParamEntryCount++];
            CopyField(row.key, kParamKeyBytes, std::string_view(line, separator - line));
            CopyField(row.value, kPathBytes, separator + 3);
        }
        tableExtent += extent;
    }
    return tableExtent;
}

void ReadSearchPathFile(const char* path) {
    SystemOptions.searchPathSet = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD read = 0;
    char* text = ReadWholeFile(file, &read);
    if (text == nullptr) return;
    std::memset(SystemOptions.searchPath, 0, kSearchPathBytes);
    size_t start = FindText(text, read, 0, kPathKey);
    const bool oneLine = start < read;
    start = oneLine ? start + sizeof kPathKey - 1 : 0;
    // One byte beyond the field shows whether the cut would split a double-byte character.
    char collected[kSearchPathBytes];
    size_t stored = 0;
    for (size_t at = start; at < read && stored < kSearchPathBytes; ++at) {
        char c = text[at];
        if (oneLine && (c == '\r' || c == '\n')) break;
        if (c == '\t' || c == '\r' || c == '\n') continue;
        collected[stored++] = c;
    }
    if (stored > 0) SystemOptions.searchPathSet = 1;
    CopyField(SystemOptions.searchPath, kSearchPathBytes, std::string_view(collected, stored));
    GlobalFree(text);
}

size_t HandleSystemLine(char* line, const char* text, size_t length, size_t offset, size_t extent) {
    const char* value = nullptr;
    switch (FindDirective(line, &value)) {
    case Directive::Param:
        return ReadParamTable(text, length, offset);
    case Directive::Path:
        SetSearchPath(value);
        break;
    case Directive::Menu:
        SetMenuFromSettings(line, value);
        break;
    case Directive::Sub:
        AllLevels = 1;
        InsideFolders = 1;
        break;
    case Directive::Sort1:
        SystemOptions.sortMode = 1;
        break;
    case Directive::Sort2:
        SystemOptions.sortMode = 2;
        break;
    case Directive::Backslash:
        SystemOptions.keepFolderBackslash = 1;
        break;
    case Directive::Bar:
        SystemOptions.showProgress = 1;
        break;
    case Directive::Editor:
        SetEditor(value);
        break;
    case Directive::None:
        break;
    }
    return extent;
}
