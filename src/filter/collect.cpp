// The collection phase of a filter run: the target loops, the folder walk and the file tests.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>

#include "common/handles.h"
#include "common/items.h"
#include "common/names.h"
#include "common/tables.h"
#include "common/text.h"
#include "filter/engine.h"
#include "filter/filter.h"
#include "ui/ui.h"

namespace {

// The duplicate test compares a candidate only with the rows that share its byte length and its
// sort key ignoring case: StrStrIA compares through CompareStringA, which orders texts by exactly
// that key, so two paths equal under the rule always share it. The bytes with ASCII letters folded
// would not do: full-width letters have cases too, and the code page spells some characters twice.
// The rows are chained by a hash of length and key; a row whose key could not be made is chained
// apart and compared with every candidate. Kept in step with every append; rebuilt when a run starts.
constexpr int kKeyBuckets = 2048;
constexpr int kUnkeyed = kKeyBuckets;       // the chain of rows without a key
constexpr int kSortKeyBytes = 16 * kPathBytes;  // a path's key takes a few bytes per character and level
constexpr int kNoRow = -1;

static_assert((kKeyBuckets & (kKeyBuckets - 1)) == 0, "the bucket index is a masked hash");
static_assert(kKeyBuckets >= 2 * kMaxResults, "chains stay short when the table is full");

struct RowIndex {
    int length[kMaxResults];
    int next[kMaxResults];           // the next row of the same chain, kNoRow at its end
    int head[kKeyBuckets + 1];       // the last row appended to each chain
};
RowIndex FolderIndex;
RowIndex FileIndex;

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

bool ListFull() {
    return ResultList.folderCount + ResultList.fileCount >= kMaxResults;
}

// The chain of `path` (`length` bytes): its bucket, or kUnkeyed when its key cannot be made.
int BucketOf(const char* path, int length) {
    char key[kSortKeyBytes];
    int keyLength = LCMapStringA(GetThreadLocale(), LCMAP_SORTKEY | NORM_IGNORECASE, path, length, key, kSortKeyBytes);
    if (keyLength <= 0) return kUnkeyed;
    unsigned hash = 2166136261u ^ static_cast<unsigned>(length);
    for (int i = 0; i < keyLength; ++i) hash = (hash ^ static_cast<unsigned char>(key[i])) * 16777619u;
    return static_cast<int>(hash & (kKeyBuckets - 1));
}

void Append(RowIndex* index, int row, int length, int bucket) {
    index->length[row] = length;
    index->next[row] = index->head[bucket];
    index->head[bucket] = row;
}

void IndexRows(char (*rows)[kRowBytes], int count, RowIndex* index) {
    for (int& head : index->head) head = kNoRow;
    for (int i = 0; i < count; ++i) {
        int length = lstrlenA(rows[i]);
        Append(index, i, length, BucketOf(rows[i], length));
    }
}

// The duplicate rule: a row of the same byte length in which StrStrIA finds the candidate.
bool IsDuplicateIn(char (*rows)[kRowBytes], const RowIndex& index, int chain, const char* candidate, int length) {
    for (int i = index.head[chain]; i != kNoRow; i = index.next[i]) {
        if (index.length[i] == length && StrStrIA(rows[i], candidate) != nullptr) return true;
    }
    return false;
}

bool IsDuplicate(char (*rows)[kRowBytes], const RowIndex& index, const char* candidate, int length, int bucket) {
    if (bucket == kUnkeyed) {
        for (int chain = 0; chain <= kUnkeyed; ++chain) {
            if (IsDuplicateIn(rows, index, chain, candidate, length)) return true;
        }
        return false;
    }
    return IsDuplicateIn(rows, index, bucket, candidate, length) ||
           IsDuplicateIn(rows, index, kUnkeyed, candidate, length);
}

int Collect(char (*rows)[kRowBytes], RowIndex* index, int* count, const char* path) {
    if (ListFull()) {
        limitReached = 1;
        return 0;
    }
    int length = lstrlenA(path);
    int bucket = BucketOf(path, length);
    if (!IsDuplicate(rows, *index, path, length, bucket)) {
        CopyField(rows[*count], kRowBytes, path);
        Append(index, *count, length, bucket);
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

// TestItem for a file met in a walk, whose extension the walk has taken from its long name.
int TestWalkedFile(HWND owner, const char* path, const char* extension, int useRegexp) {
    CountTested();
    if (useRegexp) return SearchFile(owner, path);
    return MatchExtension(extension);
}

// A run's loops end when the list is full or Esc was pressed.
bool Halted() {
    return limitReached || RunStopped;
}

// The wide path of the folder being walked, then the entry in hand behind it: one buffer for the
// whole walk, each level writing behind its own folder.
wchar_t WalkPath[kWidePathChars];

// Folders below this depth are passed over; only a folder without an ANSI path (which no level
// under it can have either) lets the walk go this deep, to count what it holds.
constexpr int kMaxWalkDepth = 256;

// The folders the walk is inside, from the target folder (level 0) down to the one being read:
// where each one's path ends in WalkPath (after its trailing backslash), and its identity, which is
// read only when a folder link is met below it.
struct WalkLevelRecord {
    size_t length;
    bool looked;
    bool known;
    ItemIdentity identity;
};
WalkLevelRecord WalkLevels[kMaxWalkDepth + 1];

// Past the end of any ANSI path: a folder whose ANSI path leaves no room for a name below it.
constexpr size_t kNoAnsiBase = kPathBytes;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The extension that a pattern run compares: that of the long name, whichever name lists the file.
// An extension the code page cannot hold equals no pattern. Points into `ansiName` or `buffer`.
const char* EntryExtension(const wchar_t* name, size_t nameLength, const char* ansiName, int ansiNameLength,
                           char* buffer) {
    if (ansiNameLength >= 0) {
        // A dot is below 0x40, so it is never the trail byte of a double-byte character.
        const char* dot = std::strrchr(ansiName, '.');
        return dot != nullptr ? dot : ansiName + ansiNameLength;
    }
    size_t dot = nameLength;
    for (size_t i = 0; i < nameLength; ++i) {
        if (name[i] == L'.') dot = i;
    }
    if (ToAnsiExactly(name + dot, nameLength - dot, buffer, kPartBytes) < 0) buffer[0] = '\0';
    return buffer;
}

// The ANSI path of the entry whose wide path fills WalkPath up to `wideLength`, by the rule of
// AnsiPathOf: behind `base`, the folder's path by that rule (`baseLength` bytes, with its trailing
// backslash), the long name (`ansiNameLength` -1 when it is not to be listed), else the short name;
// where that does not fit, the short form of the whole path. Returns its length in `path`
// (kPathBytes), or -1 when the entry has no usable ANSI path; `joined` tells whether it is the
// folder's path and a name.
int EntryAnsiPath(const char* base, size_t baseLength, const char* ansiName, int ansiNameLength,
                  const wchar_t* shortName, size_t wideLength, char* path, bool* joined) {
    char name[kPathBytes];
    int nameLength = ansiNameLength;
    if (nameLength >= 0) {
        std::memcpy(name, ansiName, static_cast<size_t>(nameLength) + 1);
    } else {
        nameLength = ShortAnsiName(shortName, name, kPathBytes);
    }
    *joined = nameLength >= 0 && baseLength + static_cast<size_t>(nameLength) < kPathBytes;
    if (*joined) {
        std::memcpy(path, base, baseLength);
        std::memcpy(path + baseLength, name, static_cast<size_t>(nameLength) + 1);
        return static_cast<int>(baseLength) + nameLength;
    }
    return ShortAnsiPathOf(PlatformPath(WalkPath, wideLength), path);
}

// An item without a usable ANSI path is left out and counted when the run could have taken it: a
// folder when folders are collected, a file when its extension passes (in a regular-expression run
// only a named filter's pre-test can refuse a file without opening it). A walked entry's path
// fills WalkPath up to `length`.
bool FileCouldPass(const char* extension, int useRegexp) {
    if (useRegexp) return FilterSwitch != 2 || MatchExtension(extension);
    return MatchExtension(extension) != 0;
}

void CountLeftOutFolder(size_t length) {
    if (CollectsFolders()) CountLeftOutItem(PlatformPath(WalkPath, length));
}

void CountLeftOutFile(const char* extension, int useRegexp, size_t length) {
    CountTested();
    if (FileCouldPass(extension, useRegexp)) CountLeftOutItem(PlatformPath(WalkPath, length));
}

// Whether a run could have taken an input item that was left out: a folder when it is a candidate
// or its entries are looked at, a file when target files are tested and it could pass.
template <int useRegexp>
bool InputCouldBeTaken(bool folder, const char* extension) {
    if (folder) return CollectsFolders() || InsideFolders;
    return FilterKind != kKindFolders && FileCouldPass(extension, useRegexp);
}

// Whether the folder link whose path fills WalkPath up to `length` leads to a folder the walk at
// `depth` is already inside: entering it would only list the same items again under longer paths.
bool LeadsIntoWalk(int depth, size_t length) {
    ItemIdentity target;
    if (!IdentityOf(PlatformPath(WalkPath, length), &target)) return false;
    for (int level = 0; level <= depth; ++level) {
        WalkLevelRecord& record = WalkLevels[level];
        if (!record.looked) {
            // Without its trailing backslash, unless that is all a drive's root has after its colon.
            size_t end = record.length > 1 && WalkPath[record.length - 2] != L':' ? record.length - 1 : record.length;
            wchar_t kept = WalkPath[end];
            WalkPath[end] = L'\0';
            record.known = IdentityOf(PlatformPath(WalkPath, end), &record.identity);
            WalkPath[end] = kept;
            record.looked = true;
        }
        if (record.known && SameItem(record.identity, target)) return true;
    }
    return false;
}

// Adds the entries of the folder whose wide path (with its trailing backslash) fills WalkPath up
// to `wideLength`. `base` is its ANSI path by the rule of AnsiPathOf with the trailing backslash
// (`baseLength` bytes), or kNoAnsiBase when that is the short form of its whole path or leaves no
// room for a name; `reachable` is false for a folder without any ANSI path, whose entries are only
// counted.
void WalkLevel(HWND owner, const char* base, size_t baseLength, size_t wideLength, bool reachable, int depth,
               int useRegexp) {
    if (depth > kMaxWalkDepth || wideLength + 2 > kWidePathChars) return;
    WalkLevels[depth].length = wideLength;
    WalkLevels[depth].looked = false;
    WalkPath[wideLength] = L'*';
    WalkPath[wideLength + 1] = L'\0';
    WIN32_FIND_DATAW entry;
    SearchHandle search(FindFirstFileW(PlatformPath(WalkPath, wideLength + 1), &entry));
    if (search.handle == INVALID_HANDLE_VALUE) return;
    char ansiName[kPathBytes];
    char path[kPathBytes];
    char extensionBuffer[kPartBytes];
    do {
        if (StopKeyPressed()) return;
        const wchar_t* name = entry.cFileName;
        if (IsDotEntry(name)) continue;
        size_t nameLength = std::wcslen(name);
        if (wideLength + nameLength + 2 > kWidePathChars) continue;
        std::wmemcpy(WalkPath + wideLength, name, nameLength + 1);
        int ansiNameLength = ToAnsiExactly(name, nameLength, ansiName, kPathBytes);
        bool joined = false;
        int listedLength = ParsingChangesName(name, nameLength) ? -1 : ansiNameLength;
        int pathLength = reachable ? EntryAnsiPath(base, baseLength, ansiName, listedLength, entry.cAlternateFileName,
                                                   wideLength + nameLength, path, &joined)
                                   : -1;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (pathLength < 0) {
                CountLeftOutFolder(wideLength + nameLength);
            } else if (CollectsFolders() && !CollectFolder(path)) {
                return;
            }
            if (!AllLevels) continue;
            bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (link && LeadsIntoWalk(depth, wideLength + nameLength)) continue;
            size_t childBase = kNoAnsiBase;
            if (joined && static_cast<size_t>(pathLength) + 1 < kPathBytes) {
                path[pathLength] = '\\';
                path[pathLength + 1] = '\0';
                childBase = static_cast<size_t>(pathLength) + 1;
            }
            WalkPath[wideLength + nameLength] = L'\\';
            WalkLevel(owner, path, childBase, wideLength + nameLength + 1, pathLength >= 0, depth + 1, useRegexp);
            if (Halted()) return;
            continue;
        }
        const char* extension = EntryExtension(name, nameLength, ansiName, ansiNameLength, extensionBuffer);
        if (pathLength < 0) {
            CountLeftOutFile(extension, useRegexp, wideLength + nameLength);
        } else if (TestWalkedFile(owner, path, extension, useRegexp) && !CollectFile(path)) {
            return;
        }
    } while (FindNextFileW(search.handle, &entry));
}

bool ProgressDue() {
    if (!SystemOptions.showProgress) return false;
    return (TargetFolderCount >= 1 && AllLevels) || TargetFolderCount + TargetFileCount > kProgressThreshold;
}

}  // namespace

int CollectFolder(const char* path) {
    return Collect(ResultList.folders, &FolderIndex, &ResultList.folderCount, path);
}

int CollectFile(const char* path) {
    return Collect(ResultList.files, &FileIndex, &ResultList.fileCount, path);
}

void CollectResults(HWND owner, int useRegexp) {
    limitReached = 0;
    progressShown = 0;
    testedCount = 0;
    ArmStopKey();
    SettleLeftOutInputs(useRegexp ? InputCouldBeTaken<1> : InputCouldBeTaken<0>);
    IndexRows(ResultList.folders, ResultList.folderCount, &FolderIndex);
    IndexRows(ResultList.files, ResultList.fileCount, &FileIndex);
    ForgetVerdicts();
    RememberVerdicts = true;

    if (ProgressDue()) {
        progressShown = 1;
        OpenProgressWindow(owner);
        SetProgressTitle("フィルタ実行中");
        SetProgressRange(kSearchSteps);
    }

    bool folderIsCandidate = (AllLevels || !InsideFolders) && CollectsFolders();
    for (int i = 0; i < TargetFolderCount && !StopKeyPressed(); ++i) {
        if (folderIsCandidate && !CollectFolder(TargetFolders[i])) break;
        if (InsideFolders) {
            WalkFolder(owner, TargetFolders[i], useRegexp);
            if (Halted()) break;
        }
    }
    if (!Halted() && FilterKind != kKindFolders) {
        for (int i = 0; i < TargetFileCount && !StopKeyPressed(); ++i) {
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
    if (!RunStopped && !(limitReached && MessageBoxA(owner, kLimitQuestion, kRunTitle, MB_YESNO) == IDNO)) {
        SortAndDeliver(owner, toClipboard);
    }
    if (RunStopped) {
        ForgetLeftOut();
    } else {
        ReportLeftOut(owner);
    }
}

void ReportLeftOut(HWND owner) {
    int count = LeftOutTotal();
    ForgetLeftOut();
    if (count == 0) return;
    char text[sizeof kLeftOutMessage + 16];
    wsprintfA(text, kLeftOutMessage, count);
    MessageBoxA(owner, text, kRunTitle, MB_ICONINFORMATION);
}

// The walk enumerates wide names, so that no name reaches the tables best-fitted to another: an
// entry is listed by its long name when the code page holds it and the path stays within 259
// bytes, else by its short name or the short form of its path; an entry with none of them is left
// out and counted.
void WalkFolder(HWND owner, const char* folder, int useRegexp) {
    char base[kPathBytes];
    size_t baseLength = CopyField(base, kPathBytes, folder);
    if (baseLength != std::strlen(folder)) return;
    // A target that holds a short name may be the short form of a path too long for its long names;
    // then so is every entry below it.
    if (std::strchr(folder, '~') != nullptr && !NamewisePathFits(folder)) {
        baseLength = kNoAnsiBase;
    } else if (!EndsWithBackslash(base)) {
        if (baseLength + 1 < kPathBytes) {
            base[baseLength++] = '\\';
            base[baseLength] = '\0';
        } else {
            baseLength = kNoAnsiBase;
        }
    }
    // The folder as written, relative or not, with a trailing backslash; the wide walk takes its
    // full form, which the long-path prefix needs.
    wchar_t written[kPathBytes + 2];
    int converted = MultiByteToWideChar(CP_ACP, 0, folder, -1, written, kPathBytes + 1);
    if (converted <= 0) return;
    size_t writtenLength = static_cast<size_t>(converted) - 1;
    if (writtenLength == 0 || written[writtenLength - 1] != L'\\') {
        written[writtenLength++] = L'\\';
        written[writtenLength] = L'\0';
    }
    DWORD wideLength = GetFullPathNameW(written, kWidePathChars, WalkPath, nullptr);
    if (wideLength == 0 || wideLength >= kWidePathChars) return;
    if (WalkPath[wideLength - 1] != L'\\') return;
    WalkLevel(owner, base, baseLength, wideLength, true, 0, useRegexp);
}

int TestItem(HWND owner, const char* path, int useRegexp) {
    CountTested();
    if (useRegexp) return SearchFile(owner, path);
    PathParts parts;
    SplitPath(path, &parts);
    char longExtension[kPartBytes];
    return MatchExtension(LongNameExtension(path, longExtension) ? longExtension : parts.ext);
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
