// Internals of the filter engine shared by its parts: collection, sorting, text building, delivery.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "common/tables.h"

// Message texts and limits of a run.
constexpr char kRunTitle[] = "Korval";
constexpr char kLimitQuestion[] = "対象データが1000件を超えました。\r\n処理を続行しますか？";
constexpr char kEmptyResult[] = "対象データがありません！";
constexpr char kLeftOutMessage[] = "扱えない名前またはパスの長さのため、%d 件を対象から外しました。";
constexpr int kSearchSteps = 10000;        // range of the search-phase progress bar
constexpr int kProgressThreshold = 100;    // more targets or results than this show the window
constexpr int kSortModeNone = 0;
constexpr int kSortModePath = 1;           // "@sort=1": by location, then extension and name
constexpr int kSortModeName = 2;           // "@sort=2": by extension and name, then location
// A started program's whole command line, its terminator included, must fit in this many characters.
constexpr size_t kCommandLineLimit = 32767;
static_assert(kSearchSteps > 0 && kSearchSteps <= 0xFFFF, "a progress range fits in the high word of PBM_SETRANGE");
static_assert(kMaxResults <= 0xFFFF, "the sort's progress range fits in the high word of PBM_SETRANGE");

// Esc ends a run while it collects or sorts: nothing is delivered and nothing is shown. Set by
// StopKeyPressed, cleared when a run starts.
extern int RunStopped;
// Clears RunStopped when a run starts: a press that ended before it (in the option dialog, say) does
// not count, while a key still down counts unless it has been held since the program started.
void ArmStopKey();
// Looks at the key at most every few milliseconds; true (and RunStopped set) once it was pressed.
bool StopKeyPressed();

// Steps 1 to 5 of a run: resets the run state, collects the survivors of the selected entry into
// ResultList, with the search-phase progress window when it is due. Leaves limitReached set when
// the list was full.
void CollectResults(HWND owner, int useRegexp);

// Appends `path` to the folders or files unless it duplicates a row there. Returns 0 and sets
// limitReached when the list already holds kMaxResults entries, else 1.
int CollectFolder(const char* path);
int CollectFile(const char* path);

// Sorting and output, which end the run: the sort-phase progress window, the sort, the empty-result
// message, the text and its delivery.
void SortAndDeliver(HWND owner, int toClipboard);

// Writes the sort key of `row` into `key` (kRowBytes) for the given sort mode.
void BuildSortKey(const char* row, int sortMode, bool folderRow, char* key);

// The exchange sort over rows 0 to count - 1 of `rows`; steps the progress bar once per row while
// progressShown is set.
void SortRows(char (*rows)[kRowBytes], int count, int sortMode, bool folderRows);

// Fills `order` with the indices of ResultList.files in delivery order (regrouped by the selected
// entry's extension list when that applies); returns the number of indices.
int BuildFileOrder(int* order);

// The delivered text over `paths` (in delivery order, folders first): for the clipboard
// (`toClipboard` 1) the paths on lines separated by CR LF, never quoted; for a program the argument
// line and a blank when it is not empty, then the paths separated by blanks, each quoted when it
// holds a blank, with a final backslash doubled inside the quotes.
std::string DeliveredText(const std::vector<std::string>& paths, int toClipboard, const std::string& arguments);
std::wstring DeliveredText(const std::vector<std::wstring>& paths, int toClipboard, const std::wstring& arguments);

// The length of a content search's subject: the bytes before the first zero byte among the
// first `length` bytes, or `length` when there is none.
size_t SubjectLength(const char* bytes, size_t length);

// True when a program whose path has `programLength` UTF-16 units, started with a parameter string
// of `parameterLength` units, stays within the platform's command-line limit.
bool FitsCommandLine(size_t programLength, size_t parameterLength);
