// The run controller: builds the target list and takes the one road of this start.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "app/app.h"
#include "common/tables.h"
#include "common/text.h"
#include "filter/filter.h"
#include "settings/settings.h"
#include "targets/targets.h"
#include "ui/ui.h"

namespace {

constexpr char kTitle[] = "Korval";

// Room for the command line once the run controller has put quotes around it.
char QuotedCommandLine[32768 + 2];

bool HasTargets() {
    return TargetFileCount != 0 || TargetFolderCount != 0;
}

int FindFilterEntry(const char* name) {
    for (int i = 0; i < FilterEntryCount; ++i) {
        if (NamesEqual(FilterEntry[i].label, name)) return i;
    }
    return -1;
}

int FindRegexpEntry(const char* name) {
    for (int i = 0; i < RegexpEntryCount; ++i) {
        if (NamesEqual(RegexpEntry[i].label, name)) return i;
    }
    return -1;
}

// An unquoted command line that names one existing item keeps its blanks inside one target.
void QuoteWholeLineTarget() {
    if (!PathIsDirectoryA(CommandLineText) && !PathFileExistsA(CommandLineText)) return;
    size_t length = std::strlen(CommandLineText);
    if (length + 3 > sizeof QuotedCommandLine) return;
    std::memcpy(QuotedCommandLine, CommandLineText, length + 1);
    PathQuoteSpacesA(QuotedCommandLine);
    CommandLineText = QuotedCommandLine;
}

// A filter named with "/#f=": reduces the [filter] table to that one entry.
void SelectNamedFilter() {
    int entry = FindFilterEntry(FilterSwitchText);
    int exclude = 0;
    if (entry >= 0) {
        CopyField(FilterSwitchText, kPathBytes, FilterEntry[entry].patternText);
        exclude = FilterEntry[entry].exclude;
    }
    if (RegexpSwitch == 0) ChooseProgram(entry >= 0 ? FilterEntry[entry].execLabel : nullptr);
    FilterEntryCount = 0;
    SplitPatternList(FilterSwitchText, 0);
    FilterEntry[0].exclude = exclude;
    FilterEntryCount = 1;
    SelectedFilterIndex = 0;
}

// A regular expression named with "/#r=": reduces the [regexp] table to that one entry and runs it.
void RunNamedExpression(HWND owner) {
    int entry = FindRegexpEntry(RegexpSwitchText);
    int invert = 0;
    int searchContents = 0;
    if (entry >= 0) {
        CopyField(RegexpSwitchText, kPathBytes, RegexpEntry[entry].expression);
        invert = RegexpEntry[entry].invert;
        searchContents = RegexpEntry[entry].searchContents;
    }
    ChooseProgram(entry >= 0 ? RegexpEntry[entry].execLabel : nullptr);
    CopyField(RegexpEntry[0].expression, kPathBytes, RegexpSwitchText);
    RegexpEntry[0].invert = invert;
    RegexpEntry[0].searchContents = searchContents;
    RegexpEntryCount = 1;
    SelectedRegexpIndex = 0;
    FilterKind = FilterSwitch == 2 ? kKindPatterns : kKindFiles;
    if (RegexpLibrary(0)) {
        RunFilter(owner, CopyToClipboard, 1);
        RegexpLibrary(1);
    } else {
        MessageBoxA(owner, "正規表現検索ができません！", kTitle, MB_ICONINFORMATION);
    }
}

// The one road of this start.
void TakeRoad(HWND owner) {
    QuoteWholeLineTarget();
    SplitTargets(CommandLineText, kCommandLineMode);
    if (!HasTargets() && StrStrIA(CommandLineText, "/#c")) ReadClipboardTargets(owner);
    if (OpenOptionDialog == 1 &&
        DialogBoxParamA(Instance, "OPTION", owner, OptionDialogProc, 0) == 0) {
        return;
    }
    if (!HasTargets()) {
        // Targets that were all left out are reported before the menu that offers no run.
        ReportLeftOut(owner);
        ShowPopupMenu(owner, 1);
        return;
    }
    if (std::strlen(FilterSwitchText) >= 2) {
        SelectNamedFilter();
        if (RegexpSwitch == 0) {
            FilterKind = KindFromPattern(FilterEntry[0].patternCount > 0 ? FilterEntry[0].patterns[0] : "");
            RunFilter(owner, CopyToClipboard, 0);
            return;
        }
    }
    if (std::strlen(RegexpSwitchText) >= 2) {
        RunNamedExpression(owner);
        return;
    }
    if (FilterEntryCount == 0) {
        MessageBoxA(owner, "フィルタを設定してください！", kTitle, MB_ICONINFORMATION);
        return;
    }
    ShowPopupMenu(owner, 0);
}

}  // namespace

// Items left out and not yet reported (the menu or the option dialog was cancelled, or no run
// started) are reported when the road ends.
void RunController(HWND owner) {
    TakeRoad(owner);
    ReportLeftOut(owner);
}
