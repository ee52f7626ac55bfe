// The popup menu: built from the settings, tracked with a mouse hook, and its pick carried out.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string_view>

#include "common/tables.h"
#include "common/text.h"
#include "filter/filter.h"
#include "targets/targets.h"
#include "ui/menu_parts.h"
#include "ui/scale.h"
#include "ui/ui.h"

const char AcceleratorPrefixes[kPrefixCount][5] = {
    "0 : ", "1 : ", "2 : ", "3 : ", "4 : ", "5 : ", "6 : ", "7 : ", "8 : ", "9 : ",
    "U : ", "V : ", "W : ", "X : ", "Y : ", "Z : ", "< : ", "> : ", "[ : ", "] : ",
    "A : ", "B : ", "C : ", "D : ", "E : ", "F : ", "G : ", "H : ", "I : ", "J : ",
    "K : ", "L : ", "M : ", "N : ", "O : ", "P : ", "Q : ", "R : ", "S : ", "T : ",
};

namespace {

// Lives exactly as long as the tracking of one menu; null otherwise.
HHOOK MouseHook;

constexpr int kWarnFirstPass = 300;
constexpr int kWarnEveryPassFrom = 500;
constexpr DWORD kPassMilliseconds = 10;

void AppendSeparator(HMENU menu) {
    AppendMenuA(menu, MF_SEPARATOR, kSeparatorCommand, nullptr);
}

// The check mark of an excluding filter or an inverted expression.
void CheckItem(HMENU menu, UINT command) {
    MENUITEMINFOA info = {};
    // The full structure size of this build: a size the platform does not know is refused.
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = MFS_CHECKED;
    SetMenuItemInfoA(menu, command, FALSE, &info);
}

void AppendEntryItem(HMENU menu, UINT command, int prefix, const char* label, int checked) {
    char text[kItemTextBytes];
    wsprintfA(text, "&%s%s", AcceleratorPrefixes[prefix], label);
    AppendMenuA(menu, MF_STRING, command, text);
    if (checked) CheckItem(menu, command);
}

void AppendFilterItems(HMENU menu) {
    for (int i = 0; i < FilterEntryCount; ++i) {
        AppendEntryItem(menu, kFilterCommandFirst + i, i, FilterEntry[i].label, FilterEntry[i].exclude);
    }
}

void AppendRegexpItems(HMENU menu) {
    for (int i = 0; i < RegexpEntryCount; ++i) {
        AppendEntryItem(menu, kRegexpCommandFirst + i, kRegexpPrefixFirst + i, RegexpEntry[i].label,
                        RegexpEntry[i].invert);
    }
}

// The patterns of the first [filter] entry joined by ";". A text that would pass 519 bytes is cut
// on a character boundary.
void AppendPatternNote(HMENU menu) {
    char joined[kMaxPatterns * kPathBytes] = {};
    size_t length = 0;
    for (int i = 0; i < FilterEntry[0].patternCount; ++i) {
        if (i > 0) joined[length++] = ';';
        size_t size = std::strlen(FilterEntry[0].patterns[i]);
        std::memcpy(joined + length, FilterEntry[0].patterns[i], size);
        length += size;
    }
    char text[kItemTextBytes] = {};
    CopyField(text, sizeof text, std::string_view(joined, length));
    AppendMenuA(menu, MF_STRING, kPatternNoteCommand, text);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && wParam == WM_RBUTTONDOWN) CopyToClipboard = 1;
    return CallNextHookEx(MouseHook, code, wParam, lParam);
}

void InstallMouseHook(HWND owner) {
    MouseHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, Instance, GetWindowThreadProcessId(owner, nullptr));
}

void RemoveMouseHook() {
    if (MouseHook != nullptr) UnhookWindowsHookEx(MouseHook);
    MouseHook = nullptr;
}

bool KeyHeld(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// Tracks the menu and returns the chosen command, or 0. The hook and the menu are gone on return.
UINT TrackMenu(HWND owner, HMENU menu) {
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | PlaceMenu();
    CopyToClipboard = 0;
    StartAfterCopy = 0;
    MenuTracking = 1;
    InstallMouseHook(owner);
    SetForegroundWindow(owner);
    UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, flags, MenuPosition.x, MenuPosition.y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    RemoveMouseHook();
    DestroyMenu(menu);
    MenuTracking = 0;
    return command;
}

// Waits until `key` is up, warning the user after 300 passes and on every pass from 500 on.
void WaitForKeyRelease(HWND owner, int key) {
    int pass = 0;
    while (GetAsyncKeyState(key) & 0x8000) {
        ++pass;
        Sleep(kPassMilliseconds);
        if (WarnAtPass(pass)) MessageBoxA(owner, "キーを開放してください！", "注意", MB_OK);
    }
}

void RunFilterCommand(HWND owner, int entry) {
    SelectedFilterIndex = entry;
    const FilterEntryRow& row = FilterEntry[entry];
    FilterKind = KindFromPattern(row.patternCount > 0 ? row.patterns[0] : "");
    ChooseProgram(row.execLabel);
    RunFilter(owner, CopyToClipboard, 0);
}

void RunRegexpCommand(HWND owner, int entry) {
    SelectedRegexpIndex = entry;
    FilterKind = FilterSwitch == 2 ? kKindPatterns : kKindFiles;
    ChooseProgram(RegexpEntry[entry].execLabel);
    if (RegexpLibrary(0)) {
        RunFilter(owner, CopyToClipboard, 1);
        RegexpLibrary(1);
    } else {
        MessageBoxA(owner, "正規表現検索ができません！", "Korval", MB_ICONINFORMATION);
    }
}

// The option dialog, then the menu again over whatever it gathered. 0 when it was cancelled.
int RunDropCommand(HWND owner) {
    if (DialogBoxParamA(Instance, "OPTION", owner, OptionDialogProc, 0) == 0) return 0;
    ShowPopupMenu(owner, 0);
    return 1;
}

// A path that did not fit its field is empty: there is nothing to open.
void OpenInEditor(const char* path) {
    if (path[0] == '\0') return;
    char document[kItemTextBytes];
    CopyField(document, sizeof document, path);
    PathQuoteSpacesA(document);
    OpenWithProgram(SystemOptions.editorPath, document);
}

void ShowVersion(HWND owner) {
    SetForegroundWindow(owner);
    MessageBoxA(owner, "「Korval」Ver.2.04\r\n\r\n 2008年09月26日", "バージョン情報", MB_OK);
}

// Returns 1 when a command was carried out.
int CarryOut(HWND owner, UINT command) {
    if (command >= kFilterCommandFirst && command < kFilterCommandFirst + kMaxEntries) {
        RunFilterCommand(owner, static_cast<int>(command - kFilterCommandFirst));
        return 1;
    }
    if (command >= kRegexpCommandFirst && command < kRegexpCommandFirst + kMaxEntries) {
        RunRegexpCommand(owner, static_cast<int>(command - kRegexpCommandFirst));
        return 1;
    }
    switch (command) {
    case kDropCommand:
        return RunDropCommand(owner);
    case kSettingsFileCommand:
        OpenInEditor(SettingsPath);
        return 1;
    case kHelpCommand:
        OpenInEditor(HelpFilePath);
        return 1;
    case kVersionCommand:
        ShowVersion(owner);
        return 1;
    default:
        return 0;
    }
}

}  // namespace

void AppendFixedItems(HMENU menu) {
    PathParts parts;
    SplitPath(SettingsPath, &parts);
    char text[kItemTextBytes];
    wsprintfA(text, "%s%s ( &1 )", parts.base, parts.ext);
    AppendMenuA(menu, MF_STRING, kDropCommand, "&Drop");
    AppendSeparator(menu);
    AppendMenuA(menu, MF_STRING, kSettingsFileCommand, text);
    AppendSeparator(menu);
    AppendMenuA(menu, MF_STRING, kHelpCommand, "&Help");
    AppendMenuA(menu, MF_STRING, kVersionCommand, "&Version");
}

HMENU BuildPopupMenu(int fixedOnly) {
    HMENU menu = CreatePopupMenu();
    if (fixedOnly == 1) {
        AppendFixedItems(menu);
    } else if (RegexpSwitch == 0) {
        if (FilterEntryCount > 0) {
            AppendFilterItems(menu);
            if (FilterSwitch == 0 && RegexpEntryCount > 0) {
                AppendSeparator(menu);
                AppendRegexpItems(menu);
            }
        }
    } else if (RegexpSwitch == 1 && RegexpEntryCount > 0) {
        AppendRegexpItems(menu);
        if (FilterSwitch == 2) {
            AppendSeparator(menu);
            AppendPatternNote(menu);
        }
    }
    return menu;
}

MenuPlacementResult ComputePlacement(const MenuPlacementRecord& placement, ScreenPoint screenCentre,
                                     int mousePresent, ScreenPoint cursor, const RECT* foreground) {
    constexpr UINT centred = TPM_CENTERALIGN | TPM_VCENTERALIGN;
    switch (placement.mode) {
    case PlacementMode::Explicit:
        return {{placement.x, placement.y}, 0};
    case PlacementMode::Mouse:
        return mousePresent ? MenuPlacementResult{cursor, 0} : MenuPlacementResult{screenCentre, centred};
    case PlacementMode::Mouse2:
        return mousePresent ? MenuPlacementResult{cursor, TPM_VCENTERALIGN}
                            : MenuPlacementResult{screenCentre, centred};
    case PlacementMode::Center:
        return {screenCentre, centred};
    case PlacementMode::Active:
    case PlacementMode::Unset:
        break;
    }
    // Reading the settings turns an unset placement into the active window's centre.
    if (foreground != nullptr && foreground->right - foreground->left > 0 &&
        foreground->bottom - foreground->top > 0) {
        return {{foreground->left + (foreground->right - foreground->left) / 2,
                 foreground->top + (foreground->bottom - foreground->top) / 2},
                centred};
    }
    return {screenCentre, centred};
}

UINT PlaceMenu() {
    if (MenuPosition.x != -1 || MenuPosition.y != -1) return TPM_CENTERALIGN | TPM_VCENTERALIGN;
    POINT cursor = {0, 0};
    if (MouseButtonCount != 0) GetCursorPos(&cursor);
    RECT foreground;
    bool haveForeground = LaunchForegroundWindow != nullptr && GetWindowRect(LaunchForegroundWindow, &foreground);
    // An explicit point is given at 96 DPI; the others are screen points already.
    MenuPlacementRecord placement = MenuPlacement;
    if (placement.mode == PlacementMode::Explicit) {
        ScreenPoint point = ScreenPointOfPlacement(MenuPlacement);
        placement.x = point.x;
        placement.y = point.y;
    }
    MenuPlacementResult result =
        ComputePlacement(placement, {ScreenWidth / 2, MaximizedHeight / 2}, MouseButtonCount,
                         {cursor.x, cursor.y}, haveForeground ? &foreground : nullptr);
    MenuPosition = result.point;
    return result.alignment;
}

bool WarnAtPass(int pass) {
    return pass == kWarnFirstPass || pass >= kWarnEveryPassFrom;
}

int ShowPopupMenu(HWND owner, int fixedOnly) {
    UINT command = TrackMenu(owner, BuildPopupMenu(fixedOnly));
    if (KeyHeld(VK_CONTROL)) StartAfterCopy = 1;
    if (KeyHeld(VK_SHIFT)) CopyToClipboard = 1;
    WaitForKeyRelease(owner, VK_CONTROL);
    WaitForKeyRelease(owner, VK_SHIFT);
    return CarryOut(owner, command);
}
