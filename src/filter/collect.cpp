// The collection phase of a filter run: the target loops, the folder walk and the file tests.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "common/handles.h"
#include "common/tables.h"
#include "common/text.h"
#include "filter/engine.h"
#include "filter/filter.h"
#include "ui/ui.h"

namespace {

// Byte lengths of the rows of ResultList, so that the duplicate test compares only rows of the
// candidate's length. Kept in step with every append; rebuilt when a run starts.
int FolderLengths[kMaxResults];
int FileLengths[kMaxResults];

// While a run collects, the selected entry and FilterKind stay as they are, so the verdict of
// MatchExtension on an extension already met is remembered: trees hold few distinct extensions,
// and a verdict costs one case-insensitive comparison per pattern. Direct-mapped by a hash of the
// extension's bytes; an extension too long for a slot is always compared afresh.
constexpr int kVerdictSlots = 64;
constexpr int kVerdictBytes = 16;
struct ExtensionVerdict {
    char extension[kVerdictBytes];  // empty slot: length -1
    int length;
    int passes;
};
ExtensionVerdict Verdicts[kVerdictSlots];
bool RememberVerdicts;

static_assert((kVerdictSlots & (kVerdictSlots - 1)) == 0, "the slot index is a masked hash");

constexpr char kSearchAll[] = "*.*";
constexpr size_t kSearchAllLength = sizeof kSearchAll - 1;

void MeasureRows(char (*rows)[kRowBytes], int count, int* lengths) {
    for (int i = 0; i < count; ++i) lengths[i] = lstrlenA(rows[i]);
}

bool ListFull() {
    return ResultList.folderCount + ResultList.fileCount >= kMaxResults;
}

// The duplicate rule: a row of the same byte length in which StrStrIA finds the candidate.
bool IsDuplicate(char (*rows)[kRowBytes], const int* lengths, int count, const char* candidate, int length) {
    for (int i = 0; i < count; ++i) {
        if (lengths[i] == length && StrStrIA(rows[i], candidate) != nullptr) return true;
    }
    return false;
}

int Collect(char (*rows)[kRowBytes], int* lengths, int* count, const char* path) {
    if (ListFull()) {
        limitReached = 1;
        return 0;
    }
    int length = lstrlenA(path);
    if (!IsDuplicate(rows, lengths, *count, path, length)) {
        lengths[*count] = static_cast<int>(CopyField(rows[*count], kRowBytes, path));
        ++*count;
    }
    return 1;
}

bool CollectsFolders() {
    return FilterKind == kKindAll || FilterKind == kKindFolders;
}

void ForgetVerdicts() {
    for (ExtensionVerdict& verdict : Verdicts) verdict.length = -1;
}

int CompareWithPatterns(const char* extension) {
    const FilterEntryRow& entry = FilterEntry[SelectedFilterIndex];
    bool found = false;
    for (int i = 0; i < entry.patternCount && !found; ++i) {
        found = NamesEqual(extension, entry.patterns[i]);
    }
    return (found != (entry.exclude != 0)) ? 1 : 0;
}

// One step of the progress counter for a file about to be tested.
void CountTested() {
    if (!progressShown) return;
    ++testedCount;
    char note[32];
    wsprintfA(note, "検索%d件", testedCount);
    SetProgressRightNote(note);
    if (testedCount <= kSearchSteps) StepProgress();
}

// TestItem for a file met in a walk, whose name starts at `name` inside `path`: the extension is
// the same whether the whole path or the name alone is split.
int TestWalkedFile(HWND owner, const char* path, const char* name, int useRegexp) {
    CountTested();
    if (useRegexp) return SearchFile(owner, path);
    PathParts parts;
    SplitPath(name, &parts);
    return MatchExtension(parts.ext);
}

bool ProgressDue() {
    if (!SystemOptions.showProgress) return false;
    return (TargetFolderCount >= 1 && AllLevels) || TargetFolderCount + TargetFileCount > kProgressThreshold;
}

}  // namespace

int CollectFolder(const char* path) {
    return Collect(ResultList.folders, FolderLengths, &ResultList.folderCount, path);
}

int CollectFile(const char* path) {
    return Collect(ResultList.files, FileLengths, &ResultList.fileCount, path);
}

void CollectResults(HWND owner, int useRegexp) {
    limitReached = 0;
    progressShown = 0;
    testedCount = 0;
    MeasureRows(ResultList.folders, ResultList.folderCount, FolderLengths);
    MeasureRows(ResultList.files, ResultList.fileCount, FileLengths);
    ForgetVerdicts();
    RememberVerdicts = true;

    if (ProgressDue()) {
        progressShown = 1;
        OpenProgressWindow(owner);
        SetProgressTitle("フィルタ実行中");
        SetProgressRange(kSearchSteps);
    }

    bool folderIsCandidate = (AllLevels || !InsideFolders) && CollectsFolders();
    for (int i = 0; i < TargetFolderCount; ++i) {
        if (folderIsCandidate && !CollectFolder(TargetFolders[i])) break;
        if (InsideFolders) {
            WalkFolder(owner, TargetFolders[i], useRegexp);
            if (limitReached) break;
        }
    }
    if (!limitReached && FilterKind != kKindFolders) {
        for (int i = 0; i < TargetFileCount; ++i) {
            if (TestItem(owner, TargetFiles[i], useRegexp) && !CollectFile(TargetFiles[i])) break;
        }
    }

    RememberVerdicts = false;
    if (progressShown) {
        CloseProgressWindow();
        progressShown = 0;
    }
}

void RunFilter(HWND owner, int toClipboard, int useRegexp) {
    CollectResults(owner, useRegexp);
    if (limitReached && MessageBoxA(owner, kLimitQuestion, kRunTitle, MB_YESNO) == IDNO) return;
    SortAndDeliver(owner, toClipboard);
}

// Entries whose full path would exceed 259 bytes are skipped, as is a folder whose search pattern
// would not fit in a path buffer.
void WalkFolder(HWND owner, const char* folder, int useRegexp) {
    char path[kPathBytes];
    size_t baseLength = CopyField(path, kPathBytes, folder);
    if (baseLength != std::strlen(folder)) return;
    if (!EndsWithBackslash(path)) {
        if (baseLength + 1 >= kPathBytes) return;
        path[baseLength++] = '\\';
    }
    if (baseLength + kSearchAllLength >= kPathBytes) return;
    std::memcpy(path + baseLength, kSearchAll, kSearchAllLength + 1);

    WIN32_FIND_DATAA entry;
    SearchHandle search(FindFirstFileA(path, &entry));
    if (search.handle == INVALID_HANDLE_VALUE) return;
    do {
        const char* name = entry.cFileName;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        size_t nameLength = std::strlen(name);
        if (baseLength + nameLength >= kPathBytes) continue;
        // The buffer holds the base followed by the current entry's name.
        std::memcpy(path + baseLength, name, nameLength + 1);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (CollectsFolders() && !CollectFolder(path)) return;
            if (AllLevels) {
                WalkFolder(owner, path, useRegexp);
                if (limitReached) return;
            }
        } else if (TestWalkedFile(owner, path, path + baseLength, useRegexp) && !CollectFile(path)) {
            return;
        }
    } while (FindNextFileA(search.handle, &entry));
}

int TestItem(HWND owner, const char* path, int useRegexp) {
    CountTested();
    if (useRegexp) return SearchFile(owner, path);
    PathParts parts;
    SplitPath(path, &parts);
    return MatchExtension(parts.ext);
}

int MatchExtension(const char* extension) {
    if (FilterKind == kKindAll || FilterKind == kKindFiles) return 1;
    size_t length = std::strlen(extension);
    if (!RememberVerdicts || length >= kVerdictBytes) return CompareWithPatterns(extension);
    unsigned hash = 0;
    for (size_t i = 0; i < length; ++i) hash = hash * 31 + static_cast<unsigned char>(extension[i]);
    ExtensionVerdict& slot = Verdicts[hash & (kVerdictSlots - 1)];
    if (slot.length == static_cast<int>(length) && std::memcmp(slot.extension, extension, length) == 0) {
        return slot.passes;
    }
    slot.passes = CompareWithPatterns(extension);
    std::memcpy(slot.extension, extension, length);
    slot.length = static_cast<int>(length);
    return slot.passes;
}
