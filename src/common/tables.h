// Process-wide tables and flags shared by every subsystem, with their fixed limits.
#pragma once

#include <windows.h>

// Field and table sizes. A text field of N bytes holds at most N - 1 characters and its terminator.
constexpr int kPathBytes = 260;          // paths and the text fields of the settings tables
constexpr int kRowBytes = 520;           // one row of the target and result tables
constexpr int kMaxTargets = 1000;        // targets, folders and files together
constexpr int kMaxResults = 1000;        // collected results, folders and files together
constexpr int kMaxEntries = 20;          // rows of the [filter], [regexp] and [exec] tables
constexpr int kMaxPatterns = 20;         // patterns of one [filter] entry
constexpr int kMaxParams = 10;           // rows of the @param table
constexpr int kParamKeyBytes = 20;
constexpr int kSearchPathBytes = 5200;
constexpr int kLineBytes = 520;          // a settings line: 517 bytes, CR LF and the terminator
constexpr int kMaxLineText = 517;
constexpr int kPartBytes = 256;          // one part of a split path
constexpr int kExpandBytes = 520;        // a text after macro expansion: at most 519 bytes

static_assert(kMaxLineText + 3 == kLineBytes, "a settings line leaves room for CR LF and the terminator");
static_assert(kRowBytes >= 2 * kPathBytes, "a table row holds a whole path buffer twice over");
static_assert(kMaxEntries == 20, "the menu identifiers reserve exactly 20 items per section");

// What a run collects: the first pattern of the selected [filter] entry decides.
constexpr int kKindAll = 0;
constexpr int kKindFolders = 1;
constexpr int kKindFiles = 2;
constexpr int kKindPatterns = 9;

// ---- Start-up values ----
extern HINSTANCE Instance;
extern char OwnPath[kPathBytes];
extern char ProgramFolder[kPathBytes];        // ends with a backslash
extern char ProgramBaseName[kPathBytes];      // also the window class name and title
extern char DefaultSettingsName[kPathBytes];  // ProgramBaseName + ".ini"
extern char SettingsPath[kPathBytes];
extern char HelpFilePath[kPathBytes];
extern char* CommandLineText;                 // owned by the platform; may be replaced by the run controller
extern HWND MainWindow;
extern HWND LaunchForegroundWindow;
extern int ScreenWidth;
extern int MaximizedHeight;
extern int MouseButtonCount;
extern int MenuTracking;
extern int FocusLossClickPending;

// ---- Launch keys and search scope ----
extern int AllLevels;
extern int InsideFolders;
extern int OpenOptionDialog;

// ---- Switch state and output choice ----
extern int FilterSwitch;                     // 0 absent, 1 bare "/#f", 2 a quoted text accepted
extern char FilterSwitchText[kPathBytes];
extern int RegexpSwitch;
extern char RegexpSwitchText[kPathBytes];
extern int CopyToClipboard;
extern int StartAfterCopy;

struct SelectedProgramRecord {
    char path[kPathBytes];
    char arguments[kPathBytes];
};
extern SelectedProgramRecord SelectedProgram;

// ---- Settings ----
enum class PlacementMode { Unset, Active, Explicit, Mouse, Mouse2, Center };

// An explicit point is a 96-DPI position, except a coordinate given as MAX: the screen's edge.
struct MenuPlacementRecord {
    PlacementMode mode;
    int x;
    int y;
    bool xAtEdge = false;
    bool yAtEdge = false;
};
extern MenuPlacementRecord MenuPlacement;

struct SystemOptionsRecord {
    int paramMode;
    char searchPath[kSearchPathBytes];
    int searchPathSet;
    char editorPath[kPathBytes];
    int sortMode;
    int keepFolderBackslash;
    int showProgress;
};
extern SystemOptionsRecord SystemOptions;

struct ParamEntryRow {
    char key[kParamKeyBytes];
    char value[kPathBytes];
};
extern ParamEntryRow ParamEntry[kMaxParams];
extern int ParamEntryCount;

struct FilterEntryRow {
    char label[kPathBytes];
    char execLabel[kPathBytes];
    char patternText[kPathBytes];
    char patterns[kMaxPatterns][kPathBytes];
    int patternCount;
    int exclude;
};
extern FilterEntryRow FilterEntry[kMaxEntries];
extern int FilterEntryCount;

struct RegexpEntryRow {
    char label[kPathBytes];
    char execLabel[kPathBytes];
    char expression[kPathBytes];
    int invert;
    int searchContents;
};
extern RegexpEntryRow RegexpEntry[kMaxEntries];
extern int RegexpEntryCount;

struct ExecEntryRow {
    char program[kPathBytes];
    char label[kPathBytes];
    char arguments[kPathBytes];
};
extern ExecEntryRow ExecEntry[kMaxEntries];
extern int ExecEntryCount;

// ---- Run selection ----
extern int SelectedFilterIndex;
extern int SelectedRegexpIndex;
extern int FilterKind;

// ---- Targets ----
extern char TargetFolders[kMaxTargets][kRowBytes];
extern int TargetFolderCount;
extern char TargetFiles[kMaxTargets][kRowBytes];
extern int TargetFileCount;

// ---- Results and the state of one run ----
struct ResultListTable {
    char folders[kMaxResults][kRowBytes];
    int folderCount;
    char files[kMaxResults][kRowBytes];
    int fileCount;
};
extern ResultListTable ResultList;

extern int limitReached;
extern int progressShown;
extern int testedCount;

// Items left out because they have no usable ANSI name or path (a name the code page cannot hold
// and no short name, or a path too long even in its short form): each item once, by the inputs and
// the walk (common/items.h); reported once, by the run or when the road ends.
extern int LeftOutCount;

// ---- Menu and option dialog ----
struct ScreenPoint {
    int x;
    int y;
};
extern ScreenPoint MenuPosition;             // (-1, -1) while unset

struct TargetCounts {
    int folders;
    int files;
};
extern TargetCounts SavedTargetCounts;
extern int OptionResult;
