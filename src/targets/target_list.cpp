// The target list: paths cut out of the command line or clipboard text, or taken from a file list.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

#include "common/names.h"
#include "common/tables.h"
#include "common/text.h"
#include "settings/settings.h"
#include "targets/targets.h"
#include "targets/tokens.h"

namespace {

constexpr int kTokenLimit = kRowBytes - 1;  // bytes kept of one token
static_assert(kTokenLimit >= kPathBytes, "an overlong token stays too long to be stored");
constexpr UINT kFileCountQuery = 0xFFFFFFFF;

bool TargetListFull() {
    return TargetFolderCount + TargetFileCount >= kMaxTargets;
}

// Unquotes, trims and stores one token, the span [first, end) of `text` without the characters the
// rules drop, cut to kTokenLimit bytes on a character boundary. Returns 1 when the list is full.
int EmitToken(const char* text, size_t first, size_t end, int mode) {
    // One byte beyond the limit shows whether the cut would split a double-byte character.
    char token[kTokenLimit + 1];
    size_t length = 0;
    for (size_t at = first; at < end && length < sizeof token; ++at) {
        if (!IsIgnoredInToken(text[at], mode)) token[length++] = text[at];
    }
    char cut[kRowBytes];
    CopyField(cut, kRowBytes, std::string_view(token, length));
    char work[kExpandBytes];
    ExpandWhenParamMode(cut, work);
    PathUnquoteSpacesA(work);
    PathRemoveBlanksA(work);
    if (work[0] == '\0') return 0;
    return StoreTarget(work);
}

}  // namespace

int StoreTarget(char* path) {
    if (TargetListFull()) return 1;
    if (PathIsDirectoryA(path)) {
        // The separator is cut before the length rule, so a folder of 259 bytes given with its
        // backslash is kept.
        if (EndsWithBackslash(path)) path[std::strlen(path) - 1] = '\0';
        if (std::strlen(path) < kPathBytes) {
            CopyField(TargetFolders[TargetFolderCount++], kRowBytes, path);
        }
    } else if (std::strlen(path) < kPathBytes && PathFileExistsA(path)) {
        CopyField(TargetFiles[TargetFileCount++], kRowBytes, path);
    }
    return TargetListFull() ? 1 : 0;
}

void SplitTargetText(const char* text, size_t length, int mode) {
    TargetFileCount = 0;
    TargetFolderCount = 0;
    ScanTokens(text, length, mode, [&](size_t first, size_t end) { return EmitToken(text, first, end, mode) != 0; });
}

void SplitTargets(const char* text, int mode) {
    SplitTargetText(text, std::strlen(text), mode);
}

namespace {

// A file list: every item by its ANSI path, from its wide name.
void ReadFileList(HDROP files) {
    static wchar_t path[kWidePathChars];
    TargetFileCount = 0;
    TargetFolderCount = 0;
    UINT count = files != nullptr ? DragQueryFileW(files, kFileCountQuery, nullptr, 0) : 0;
    for (UINT i = 0; i < count; ++i) {
        if (DragQueryFileW(files, i, nullptr, 0) >= kWidePathChars) continue;
        if (DragQueryFileW(files, i, path, kWidePathChars) == 0) continue;
        char ansiPath[kRowBytes];
        if (AnsiPathOfItem(path, ansiPath) && StoreTarget(ansiPath)) break;
    }
}

// Text lines: the wide text whenever the clipboard offers it, since the ANSI text beside it may have
// been made from it with another code page (that of the keyboard layout at copy time); the ANSI
// text only when it is the clipboard's sole text.
void ReadTextLines() {
    HANDLE wide = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* wideText = wide != nullptr ? static_cast<const wchar_t*>(GlobalLock(wide)) : nullptr;
    if (wideText != nullptr) {
        std::string text;
        RewriteUnusablePaths(wideText, GlobalSize(wide) / sizeof(wchar_t), kLineMode, &text);
        GlobalUnlock(wide);
        if (!text.empty()) SplitTargetText(text.data(), text.size(), kLineMode);
        return;
    }
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text == nullptr) return;
    // The text is read no further than its memory block, terminated or not.
    size_t length = strnlen(text, GlobalSize(data));
    if (length > 0) SplitTargetText(text, length, kLineMode);
    GlobalUnlock(data);
}

}  // namespace

void ReadClipboardTargets(HWND owner) {
    bool fileList = IsClipboardFormatAvailable(CF_HDROP);
    if (!fileList && !IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
    if (!OpenClipboard(owner)) return;
    if (fileList) {
        ReadFileList(static_cast<HDROP>(GetClipboardData(CF_HDROP)));
    } else {
        ReadTextLines();
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
