// The target list: paths cut out of the command line or clipboard text, or taken from a file list.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "settings/settings.h"
#include "targets/targets.h"

namespace {

constexpr int kTokenLimit = kRowBytes - 1;  // bytes kept of one token
static_assert(kTokenLimit >= kPathBytes, "an overlong token stays too long to be stored");
constexpr UINT kFileCountQuery = 0xFFFFFFFF;

// Collects one token; keeps one byte beyond the limit so that the cut can respect characters.
struct Token {
    char text[kTokenLimit + 1];
    size_t length = 0;
    void Append(char c) {
        if (length < sizeof text) text[length++] = c;
    }
};

// Unquotes, trims and stores one token; returns 1 when the list is full.
int EmitToken(Token* token) {
    char cut[kRowBytes];
    CopyField(cut, kRowBytes, std::string_view(token->text, token->length));
    token->length = 0;
    char work[kExpandBytes];
    ExpandWhenParamMode(cut, work);
    PathUnquoteSpacesA(work);
    PathRemoveBlanksA(work);
    if (work[0] == '\0') return 0;
    return StoreTarget(work);
}

}  // namespace

int StoreTarget(char* path) {
    if (PathIsDirectoryA(path)) {
        // PathAddBackslashA steps by characters, so the byte it leaves last is a real backslash;
        // when it cannot add one the path has none to remove.
        if (PathAddBackslashA(path) != nullptr) path[std::strlen(path) - 1] = '\0';
        if (std::strlen(path) < kPathBytes) {
            CopyField(TargetFolders[TargetFolderCount++], kRowBytes, path);
        }
    } else if (std::strlen(path) < kPathBytes && PathFileExistsA(path)) {
        CopyField(TargetFiles[TargetFileCount++], kRowBytes, path);
    }
    return TargetFolderCount + TargetFileCount >= kMaxTargets ? 1 : 0;
}

void SplitTargetText(const char* text, size_t length, int mode) {
    TargetFileCount = 0;
    TargetFolderCount = 0;
    Token token;
    bool inQuotes = false;
    for (size_t at = 0; at < length && text[at] != '\0'; ++at) {
        char c = text[at];
        if (c == '"' && !inQuotes) {
            if (token.length > 0 && EmitToken(&token)) return;
            token.Append(c);
            inQuotes = true;
        } else if (c == '"') {
            token.Append(c);
            inQuotes = false;
            if (EmitToken(&token)) return;
        } else if (c == ' ' && mode == kCommandLineMode && !inQuotes) {
            if (token.length > 0 && EmitToken(&token)) return;
        } else if (c == '\n' && mode == kLineMode) {
            inQuotes = false;
            if (token.length > 0 && EmitToken(&token)) return;
        } else if (c != '\r' && c != '\n' && c != '\t') {
            token.Append(c);
        }
    }
    if (token.length > 0) EmitToken(&token);
}

void SplitTargets(const char* text, int mode) {
    SplitTargetText(text, std::strlen(text), mode);
}

void ReadClipboardTargets(HWND owner) {
    if (IsClipboardFormatAvailable(CF_HDROP)) {
        if (!OpenClipboard(owner)) return;
        HDROP files = static_cast<HDROP>(GetClipboardData(CF_HDROP));
        TargetFileCount = 0;
        TargetFolderCount = 0;
        UINT count = files != nullptr ? DragQueryFileA(files, kFileCountQuery, nullptr, 0) : 0;
        for (UINT i = 0; i < count; ++i) {
            // Room for a path longer than any target, so that it is dropped instead of cut.
            char path[kRowBytes];
            if (DragQueryFileA(files, i, path, kRowBytes) == 0) continue;
            if (StoreTarget(path)) break;
        }
        CloseClipboard();
        return;
    }
    if (!IsClipboardFormatAvailable(CF_TEXT)) return;
    if (!OpenClipboard(owner)) return;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text != nullptr) {
        // The text is read no further than its memory block, terminated or not.
        size_t length = strnlen(text, GlobalSize(data));
        if (length > 0) SplitTargetText(text, length, kLineMode);
        GlobalUnlock(data);
    }
    CloseClipboard();
}

void OpenWithProgram(const char* program, const char* document) {
    if (PathFileExistsA(program)) {
        PathParts parts;
        SplitPath(program, &parts);
        char folder[kPathBytes * 2];
        wsprintfA(folder, "%s%s", parts.drive, parts.folder);
        ShellExecuteA(nullptr, nullptr, program, document, folder, SW_SHOWNORMAL);
        return;
    }
    ShellExecuteA(nullptr, nullptr, document, nullptr, nullptr, SW_SHOWNORMAL);
}
