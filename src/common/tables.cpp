// Storage of the process-wide tables: filled in place, never freed.
#include "common/tables.h"

HINSTANCE Instance;
char OwnPath[kPathBytes];
char ProgramFolder[kPathBytes];
char ProgramBaseName[kPathBytes];
char DefaultSettingsName[kPathBytes];
char SettingsPath[kPathBytes];
char HelpFilePath[kPathBytes];
char* CommandLineText = const_cast<char*>("");
HWND MainWindow;
HWND LaunchForegroundWindow;
int ScreenWidth;
int MaximizedHeight;
int MouseButtonCount;
int MenuTracking;
int FocusLossClickPending;

int AllLevels;
int InsideFolders;
int OpenOptionDialog;

int FilterSwitch;
char FilterSwitchText[kPathBytes];
int RegexpSwitch;
char RegexpSwitchText[kPathBytes];
int CopyToClipboard;
int StartAfterCopy;
SelectedProgramRecord SelectedProgram;

MenuPlacementRecord MenuPlacement = {PlacementMode::Unset, 0, 0};
SystemOptionsRecord SystemOptions;
ParamEntryRow ParamEntry[kMaxParams];
int ParamEntryCount;
FilterEntryRow FilterEntry[kMaxEntries];
int FilterEntryCount;
RegexpEntryRow RegexpEntry[kMaxEntries];
int RegexpEntryCount;
ExecEntryRow ExecEntry[kMaxEntries];
int ExecEntryCount;

int SelectedFilterIndex;
int SelectedRegexpIndex;
int FilterKind;

char TargetFolders[kMaxTargets][kRowBytes];
int TargetFolderCount;
char TargetFiles[kMaxTargets][kRowBytes];
int TargetFileCount;

ResultListTable ResultList;
int limitReached;
int progressShown;
int testedCount;
int LeftOutCount;

ScreenPoint MenuPosition = {-1, -1};
TargetCounts SavedTargetCounts;
int OptionResult = 1;
