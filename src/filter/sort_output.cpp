// The second half of a filter run: sorting, regrouping, the output text and its delivery.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/names.h"
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

bool EndsWithBackslash(const std::wstring& text) {
    return !text.empty() && text.back() == L'\\';
}

bool EndsWithBackslash(const std::string& text) {
    return ::EndsWithBackslash(text.c_str());
}

// The delivered text over `paths`, in delivery order. For the clipboard: one path a line, CR LF
// between lines, never quoted. For a program: the argument line and a blank when there is one,
// then the paths separated by blanks, each in double quotes when it holds a blank; inside the
// quotes a final backslash is doubled, so that it does not escape the closing quote.
template <typename Char>
std::basic_string<Char> JoinPaths(const std::vector<std::basic_string<Char>>& paths, int toClipboard,
                                  const std::basic_string<Char>& arguments) {
    const Char separator[] = {toClipboard ? Char('\r') : Char(' '), Char('\n'), Char(0)};
    const size_t separatorLength = toClipboard ? 2 : 1;
    std::basic_string<Char> text;
    if (!toClipboard && !arguments.empty()) text = arguments + Char(' ');
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::basic_string<Char>& path = paths[i];
        if (toClipboard || path.find(Char(' ')) == std::basic_string<Char>::npos) {
            text += path;
        } else {
            text += Char('"');
            text += path;
            if (EndsWithBackslash(path)) text += Char('\\');
            text += Char('"');
        }
        if (i + 1 < paths.size()) text.append(separator, separatorLength);
    }
    return text;
}

std::wstring Wide(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
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

// The program of the run, in its own folder, with the true names in its wide command line.
void StartProgram(const std::wstring& program, const std::wstring& parameters) {
    PathParts parts;
    SplitPath(SelectedProgram.path, &parts);
    char folder[kPathBytes * 2];
    wsprintfA(folder, "%s%s", parts.drive, parts.folder);
    ShellExecuteW(nullptr, nullptr, program.c_str(), parameters.c_str(), Wide(folder).c_str(), SW_SHOWNORMAL);
}

// A movable block holding `bytes` bytes of `data` and zeros after them, or null.
HGLOBAL ClipboardBlock(const void* data, size_t bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block == nullptr) return nullptr;
    void* locked = GlobalLock(block);
    if (locked == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(locked, data, bytes);
    GlobalUnlock(block);
    return block;
}

// Hands the list to the clipboard as CF_TEXT, and with the true names as CF_UNICODETEXT. Returns
// false when the text was not put there.
bool PutOnClipboard(const std::string& text, const std::wstring& wide) {
    HGLOBAL block = ClipboardBlock(text.data(), text.size(), text.size() + 1);
    if (block == nullptr) return false;
    HGLOBAL wideBlock = ClipboardBlock(wide.data(), wide.size() * sizeof(wchar_t), (wide.size() + 1) * sizeof(wchar_t));
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        if (wideBlock != nullptr) GlobalFree(wideBlock);
        return false;
    }
    EmptyClipboard();
    bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    if (wideBlock != nullptr && SetClipboardData(CF_UNICODETEXT, wideBlock) == nullptr) GlobalFree(wideBlock);
    CloseClipboard();
    if (!taken) GlobalFree(block);
    return taken;
}

// Delivery by clipboard; `startAfter` starts SelectedProgram with its own argument line after the
// copy, otherwise the beep confirms it.
void DeliverToClipboard(const std::vector<std::string>& paths, const std::vector<std::wstring>& trueNames,
                        bool startAfter) {
    if (!PutOnClipboard(JoinPaths(paths, 1, std::string()), JoinPaths(trueNames, 1, std::wstring()))) return;
    if (startAfter && PathFileExistsA(SelectedProgram.path)) {
        ShellExecuteA(nullptr, nullptr, SelectedProgram.path, SelectedProgram.arguments, nullptr, SW_SHOWNORMAL);
    } else {
        MessageBeep(MB_ICONASTERISK);
    }
}

// The true name of every delivered row: a row that holds a short name or a short form gets its
// long form back. A folder keeps or loses its trailing backslash exactly as its row does. A true
// name that an ordinary program cannot open, one of MAX_PATH units or more (unless the program is
// long-path aware) or one with a name that path parsing would change, gives way to the row itself.
std::vector<std::wstring> TrueNames(const std::vector<std::string>& paths) {
    static wchar_t name[kWidePathChars];
    std::vector<std::wstring> names;
    names.reserve(paths.size());
    for (const std::string& path : paths) {
        std::wstring wide(name, TrueWidePath(path.c_str(), name, kWidePathChars));
        bool backslash = EndsWithBackslash(path);
        if (backslash && !EndsWithBackslash(wide)) wide += L'\\';
        if (!backslash && EndsWithBackslash(wide) && wide.size() > 1) wide.pop_back();
        if (wide.size() >= MAX_PATH || HoldsChangedName(wide.c_str(), wide.size())) wide = Wide(path.c_str());
        names.push_back(std::move(wide));
    }
    return names;
}

void Deliver(int toClipboard, const int* order, int orderCount) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(ResultList.folderCount + orderCount));
    for (int i = 0; i < ResultList.folderCount; ++i) {
        PrepareFolderRow(ResultList.folders[i]);
        paths.emplace_back(ResultList.folders[i]);
    }
    for (int i = 0; i < orderCount; ++i) paths.emplace_back(ResultList.files[order[i]]);
    std::vector<std::wstring> trueNames = TrueNames(paths);
    if (toClipboard) {
        DeliverToClipboard(paths, trueNames, StartAfterCopy != 0);
        return;
    }
    std::wstring program = Wide(SelectedProgram.path);
    std::wstring parameters = JoinPaths(trueNames, 0, Wide(SelectedProgram.arguments));
    if (FitsCommandLine(program.size(), parameters.size())) {
        StartProgram(program, parameters);
    } else {
        // Too long for the program's command line: the whole list goes to the clipboard instead.
        DeliverToClipboard(paths, trueNames, false);
    }
}

}  // namespace

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
    // The parts are disjoint pieces of the row, so together they fit a row.
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        size_t length = std::strlen(order[i]);
        std::memcpy(key + at, order[i], length);
        at += length;
    }
    key[at] = '\0';
}

void SortRows(char (*rows)[kRowBytes], int count, int sortMode, bool folderRows) {
    for (int i = 0; i < count; ++i) {
        BuildSortKey(rows[i], sortMode, folderRows, SortKeys[i]);
        SortOrder[i] = i;
    }
    RankKeys(count);
    for (int i = 0; i < count; ++i) {
        if (StopKeyPressed()) return;
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
    static char extensions[kMaxResults][kPartBytes];
    std::memset(placed, 0, sizeof placed);
    // The extension the filter tested: that of the long name, where the row holds a short name.
    for (int i = 0; i < ResultList.fileCount; ++i) {
        if (LongNameExtension(ResultList.files[i], extensions[i])) continue;
        PathParts parts;
        SplitPath(ResultList.files[i], &parts);
        std::memcpy(extensions[i], parts.ext, kPartBytes);
    }
    const FilterEntryRow& entry = FilterEntry[SelectedFilterIndex];
    for (int p = 0; p < entry.patternCount; ++p) {
        for (int i = 0; i < ResultList.fileCount; ++i) {
            if (placed[i]) continue;
            if (NamesEqual(extensions[i], entry.patterns[p])) {
                placed[i] = true;
                order[count++] = i;
            }
        }
    }
    return count;
}

std::string DeliveredText(const std::vector<std::string>& paths, int toClipboard, const std::string& arguments) {
    return JoinPaths(paths, toClipboard, arguments);
}

std::wstring DeliveredText(const std::vector<std::wstring>& paths, int toClipboard, const std::wstring& arguments) {
    return JoinPaths(paths, toClipboard, arguments);
}

bool FitsCommandLine(size_t programLength, size_t parameterLength) {
    // The program path in quotes, a blank, the parameters and the terminator.
    return programLength + 3 + parameterLength + 1 <= kCommandLineLimit;
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
    if (RunStopped) return;
    int orderCount = BuildFileOrder(FileOrder);
    if (total == 0) {
        MessageBoxA(owner, kEmptyResult, kRunTitle, MB_ICONINFORMATION);
        return;
    }
    Deliver(toClipboard, FileOrder, orderCount);
}
