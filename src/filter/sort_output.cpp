// The second half of a filter run: sorting, regrouping, the output text and its delivery.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "filter/engine.h"
#include "ui/ui.h"

namespace {

// Scratch of the sort: each row's key, computed once, the rank of each key among all keys, and the
// rows' order. Keys and ranks travel with their rows, so every comparison sees the row's current
// contents.
char SortKeys[kMaxResults][kRowBytes];
int KeyRank[kMaxResults];
int ByKey[kMaxResults];
int SortOrder[kMaxResults];
char SortedRows[kMaxResults][kRowBytes];
int FileOrder[kMaxResults];

int CompareKeys(int a, int b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, SortKeys[a], -1, SortKeys[b], -1);
}

// Ranks the keys of rows 0 to count - 1: equal keys share a rank, and a key that collates after
// another has a higher rank. Comparing ranks then answers exactly what comparing the keys answers,
// with n log n collations instead of one for each of the exchange sort's n(n-1)/2 comparisons.
void RankKeys(int count) {
    for (int i = 0; i < count; ++i) ByKey[i] = i;
    std::stable_sort(ByKey, ByKey + count, [](int a, int b) { return CompareKeys(a, b) == CSTR_LESS_THAN; });
    if (count > 0) KeyRank[ByKey[0]] = 0;
    for (int k = 1; k < count; ++k) {
        bool equal = CompareKeys(ByKey[k - 1], ByKey[k]) == CSTR_EQUAL;
        KeyRank[ByKey[k]] = KeyRank[ByKey[k - 1]] + (equal ? 0 : 1);
    }
}

size_t Append(char* out, size_t at, const char* text) {
    size_t length = std::strlen(text);
    std::memcpy(out + at, text, length);
    return at + length;
}

// Appends a path, in double quotes when `quote` is set and it holds a blank. Inside the quotes a
// final backslash is doubled, so that it does not escape the closing quote for the started program.
size_t AppendPath(char* out, size_t at, const char* path, bool quote) {
    if (!quote || std::strchr(path, ' ') == nullptr) return Append(out, at, path);
    out[at++] = '"';
    at = Append(out, at, path);
    if (EndsWithBackslash(path)) out[at++] = '\\';
    out[at++] = '"';
    return at;
}

// The folder row as delivered: no surrounding quotes, a trailing backslash only with "@bs".
void PrepareFolderRow(char* row) {
    PathUnquoteSpacesA(row);
    size_t length = std::strlen(row);
    if (!EndsWithBackslash(row) && length + 1 < kRowBytes) {
        row[length++] = '\\';
        row[length] = '\0';
    }
    if (!SystemOptions.keepFolderBackslash && EndsWithBackslash(row)) row[length - 1] = '\0';
}

bool Regroups() {
    return SystemOptions.sortMode != kSortModeNone && FilterKind == kKindPatterns &&
           !FilterEntry[SelectedFilterIndex].exclude;
}

void OpenSortProgress(HWND owner, int total) {
    progressShown = 1;
    OpenProgressWindow(owner);
    char title[64];
    wsprintfA(title, "ソート処理中 - %d件 - ", total);
    SetProgressTitle(title);
    SetProgressLeftNote("0%");
    SetProgressRightNote("100%");
    SetProgressRange(total);
}

void StartProgram(const char* parameters) {
    PathParts parts;
    SplitPath(SelectedProgram.path, &parts);
    char folder[kPathBytes * 2];
    wsprintfA(folder, "%s%s", parts.drive, parts.folder);
    ShellExecuteA(nullptr, nullptr, SelectedProgram.path, parameters, folder, SW_SHOWNORMAL);
}

// Hands `text` to the clipboard as CF_TEXT. Returns false when nothing was put there.
bool PutOnClipboard(const char* text, size_t length) {
    HGLOBAL block = GlobalAlloc(GHND, length + 1);
    if (block == nullptr) return false;
    char* bytes = static_cast<char*>(GlobalLock(block));
    if (bytes == nullptr) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(bytes, text, length);
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(block);
    return taken;
}

// Delivery by clipboard; `startAfter` starts SelectedProgram with its own argument line after the
// copy, otherwise the beep confirms it.
void DeliverToClipboard(const char* text, size_t length, bool startAfter) {
    if (!PutOnClipboard(text, length)) return;
    if (startAfter && PathFileExistsA(SelectedProgram.path)) {
        ShellExecuteA(nullptr, nullptr, SelectedProgram.path, SelectedProgram.arguments, nullptr, SW_SHOWNORMAL);
    } else {
        MessageBeep(MB_ICONASTERISK);
    }
}

void Deliver(int toClipboard, const int* order, int orderCount) {
    char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kOutputCapacity));
    if (text == nullptr) return;
    if (toClipboard) {
        size_t length = BuildOutputText(1, "", order, orderCount, text);
        DeliverToClipboard(text, length, StartAfterCopy != 0);
    } else {
        size_t length = BuildOutputText(0, SelectedProgram.arguments, order, orderCount, text);
        if (FitsCommandLine(SelectedProgram.path, length)) {
            StartProgram(text);
        } else {
            // Too long for the program's command line: the whole list goes to the clipboard instead.
            length = BuildOutputText(1, "", order, orderCount, text);
            DeliverToClipboard(text, length, false);
        }
    }
    HeapFree(GetProcessHeap(), 0, text);
}

}  // namespace

bool EndsWithBackslash(const char* text) {
    bool last = false;
    for (size_t i = 0; text[i] != '\0';) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c) && text[i + 1] != '\0') {
            last = false;
            i += 2;
        } else {
            last = c == '\\';
            ++i;
        }
    }
    return last;
}

void BuildSortKey(const char* row, int sortMode, bool folderRow, char* key) {
    if (sortMode == kSortModePath && folderRow) {
        CopyField(key, kRowBytes, row);
        return;
    }
    PathParts parts;
    SplitPath(row, &parts);
    const char* const byLocation[] = {parts.drive, parts.folder, parts.ext, parts.base};
    const char* const folderByName[] = {parts.base, parts.drive, parts.folder, ""};
    const char* const fileByName[] = {parts.ext, parts.base, parts.drive, parts.folder};
    const char* const* order = sortMode == kSortModePath ? byLocation : folderRow ? folderByName : fileByName;
    size_t at = 0;
    for (int i = 0; i < 4; ++i) at = Append(key, at, order[i]);
    key[at] = '\0';
}

void SortRows(char (*rows)[kRowBytes], int count, int sortMode, bool folderRows) {
    for (int i = 0; i < count; ++i) {
        BuildSortKey(rows[i], sortMode, folderRows, SortKeys[i]);
        SortOrder[i] = i;
    }
    RankKeys(count);
    for (int i = 0; i < count; ++i) {
        if (progressShown) StepProgress();
        for (int j = i + 1; j < count; ++j) {
            if (KeyRank[SortOrder[i]] > KeyRank[SortOrder[j]]) {
                int held = SortOrder[i];
                SortOrder[i] = SortOrder[j];
                SortOrder[j] = held;
            }
        }
    }
    for (int i = 0; i < count; ++i) std::memcpy(SortedRows[i], rows[SortOrder[i]], kRowBytes);
    std::memcpy(rows, SortedRows, static_cast<size_t>(count) * kRowBytes);
}

int BuildFileOrder(int* order) {
    int count = 0;
    if (!Regroups()) {
        for (int i = 0; i < ResultList.fileCount; ++i) order[count++] = i;
        return count;
    }
    static bool placed[kMaxResults];
    std::memset(placed, 0, sizeof placed);
    const FilterEntryRow& entry = FilterEntry[SelectedFilterIndex];
    for (int p = 0; p < entry.patternCount; ++p) {
        for (int i = 0; i < ResultList.fileCount; ++i) {
            if (placed[i]) continue;
            PathParts parts;
            SplitPath(ResultList.files[i], &parts);
            if (NamesEqual(parts.ext, entry.patterns[p])) {
                placed[i] = true;
                order[count++] = i;
            }
        }
    }
    return count;
}

size_t BuildOutputText(int toClipboard, const char* arguments, const int* order, int orderCount, char* out) {
    const char* separator = toClipboard ? "\r\n" : " ";
    bool quote = toClipboard == 0;
    size_t at = 0;
    if (!toClipboard && arguments[0] != '\0') {
        at = Append(out, at, arguments);
        out[at++] = ' ';
    }
    size_t pathsStart = at;
    for (int i = 0; i < ResultList.folderCount; ++i) {
        PrepareFolderRow(ResultList.folders[i]);
        at = AppendPath(out, at, ResultList.folders[i], quote);
        at = Append(out, at, separator);
    }
    for (int i = 0; i < orderCount; ++i) {
        at = AppendPath(out, at, ResultList.files[order[i]], quote);
        at = Append(out, at, separator);
    }
    if (at > pathsStart) at -= std::strlen(separator);
    out[at] = '\0';
    return at;
}

bool FitsCommandLine(const char* program, size_t parameterLength) {
    // The program path in quotes, a blank, the parameters and the terminator.
    return std::strlen(program) + 3 + parameterLength + 1 <= kCommandLineLimit;
}

void SortAndDeliver(HWND owner, int toClipboard) {
    int total = ResultList.folderCount + ResultList.fileCount;
    int sortMode = SystemOptions.sortMode;
    if (sortMode != kSortModeNone && SystemOptions.showProgress && total > kProgressThreshold) {
        OpenSortProgress(owner, total);
    }
    if (sortMode == kSortModePath || sortMode == kSortModeName) {
        SortRows(ResultList.folders, ResultList.folderCount, sortMode, true);
        SortRows(ResultList.files, ResultList.fileCount, sortMode, false);
    }
    if (progressShown) {
        CloseProgressWindow();
        progressShown = 0;
    }
    int orderCount = BuildFileOrder(FileOrder);
    if (total == 0) {
        MessageBoxA(owner, kEmptyResult, kRunTitle, MB_ICONINFORMATION);
        return;
    }
    Deliver(toClipboard, FileOrder, orderCount);
}
