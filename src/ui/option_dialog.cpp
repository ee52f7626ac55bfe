// The option dialog: gathers dropped targets, switches the scope and runs filters from its menu.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/app.h"
#include "common/names.h"
#include "common/tables.h"
#include "common/text.h"
#include "targets/targets.h"
#include "ui/controls.h"
#include "ui/menu_parts.h"
#include "ui/scale.h"
#include "ui/ui.h"

namespace {

// Created by the layout, deleted by OK or CANCEL: the font lives as long as the dialog. A new
// display scale replaces it.
HFONT DialogFont;
HWND ScopeLabel;
HWND CountLabel;
HWND OkButton;
HWND CancelButton;
HWND* const kHandles[kDialogControlCount] = {&ScopeLabel, &CountLabel, &OkButton, &CancelButton};

// Moving the dialog with the left button: the last cursor position seen, in screen coordinates.
int Dragging;
POINT LastCursor;

constexpr char kAllLevelsText[] = "[ 全階層 ]";
constexpr char kInsideFoldersText[] = "[ 転送フォルダ内部 ]";
constexpr char kFoldersOnlyOpeningText[] = "[ 転送フォルダのみ ]";
constexpr char kTargetsOnlyText[] = "[ 転送分のみ ]";

constexpr int kCountTextBytes = 64;

void FormatCounts(char (&text)[kCountTextBytes]) {
    wsprintfA(text, "Folder %d : File %d", TargetFolderCount, TargetFileCount);
}

void ShowCounts() {
    char text[kCountTextBytes];
    FormatCounts(text);
    SetWindowTextA(CountLabel, text);
}

void SaveCounts() {
    SavedTargetCounts.folders = TargetFolderCount;
    SavedTargetCounts.files = TargetFileCount;
}

const char* OpeningScopeText() {
    if (AllLevels == 1) return kAllLevelsText;
    if (InsideFolders == 1) return kInsideFoldersText;
    return kFoldersOnlyOpeningText;
}

void SizeDialog(HWND dialog, int x, int y, int dpi) {
    MoveWindow(dialog, x, y, ScaleTo(kDialogWidth, dpi), ScaleTo(kDialogHeight, dpi), TRUE);
}

// The size follows the DPI of the monitor at MenuPosition, and once more the DPI that the system
// then gives the window, should most of it lie on another monitor.
void LayOutDialog(HWND dialog) {
    PlaceMenu();
    int dpi = DpiAtPoint({MenuPosition.x, MenuPosition.y});
    SizeDialog(dialog, MenuPosition.x, MenuPosition.y, dpi);
    int given = WindowDpi(dialog);
    if (given != dpi) {
        dpi = given;
        SizeDialog(dialog, MenuPosition.x, MenuPosition.y, dpi);
    }
    ShowWindow(dialog, SW_SHOW);
    DialogFont = CreateUiFont(kUiFontFace, ScaleTo(kDialogFontHeight, dpi));
    char counts[kCountTextBytes];
    FormatCounts(counts);
    const char* texts[kDialogControlCount] = {OpeningScopeText(), counts, "&OK", "&CANCEL"};
    for (int i = 0; i < kDialogControlCount; ++i) {
        *kHandles[i] = CreateControl(dialog, kDialogControls[i], texts[i], DialogFont, dpi);
    }
    SetFocus(CountLabel);
}

void InitDialog(HWND dialog) {
    DragAcceptFiles(dialog, TRUE);
    TakeOverDialogScaling(dialog);
    LayOutDialog(dialog);
    SaveCounts();
}

// Moved to a monitor of another scale: the dialog, its controls and its font at the new DPI, the
// dialog where the system suggests. A change while the layout itself moves the dialog is left to
// the layout, which reads the DPI the window ends up with.
void OnDpiChanged(HWND dialog, int dpi, const RECT* suggested) {
    if (DialogFont == nullptr) return;
    SizeDialog(dialog, suggested->left, suggested->top, dpi);
    HFONT font = CreateUiFont(kUiFontFace, ScaleTo(kDialogFontHeight, dpi));
    for (int i = 0; i < kDialogControlCount; ++i) RescaleControl(*kHandles[i], kDialogControls[i], font, dpi);
    DeleteObject(DialogFont);
    DialogFont = font;
}

void EndWith(HWND dialog, INT_PTR result) {
    DeleteObject(DialogFont);
    DialogFont = nullptr;
    EndDialog(dialog, result);
}

// Returns TRUE for the two buttons, FALSE for every other command.
INT_PTR OnCommand(HWND dialog, int id) {
    switch (id) {
    case kOkButtonId:
        EndWith(dialog, OptionResult);
        return TRUE;
    case kCancelButtonId:
        EndWith(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void StartDrag(HWND dialog) {
    Dragging = 1;
    SetCapture(dialog);
    GetCursorPos(&LastCursor);
}

void Drag(HWND dialog) {
    if (!Dragging) return;
    RECT frame;
    POINT cursor;
    GetWindowRect(dialog, &frame);
    GetCursorPos(&cursor);
    MoveWindow(dialog, frame.left + cursor.x - LastCursor.x, frame.top + cursor.y - LastCursor.y,
               frame.right - frame.left, frame.bottom - frame.top, TRUE);
    LastCursor = cursor;
}

void EndDrag() {
    ReleaseCapture();
    Dragging = 0;
}

// All levels, then the contents of the target folders, then the targets alone, and round again.
void CycleScope() {
    const char* text;
    if (AllLevels == 1) {
        AllLevels = 0;
        InsideFolders = 1;
        text = kInsideFoldersText;
    } else if (InsideFolders == 1) {
        InsideFolders = 0;
        text = kTargetsOnlyText;
    } else {
        AllLevels = 1;
        InsideFolders = 1;
        text = kAllLevelsText;
    }
    SetWindowTextA(ScopeLabel, text);
}

void ClearResultCounts() {
    ResultList.folderCount = 0;
    ResultList.fileCount = 0;
}

// Ctrl clears the target counts (keeping them for a restore), Ctrl and Shift restore them;
// without Ctrl the scope moves on.
void OnDoubleClick() {
    bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (!control) {
        CycleScope();
        return;
    }
    if (shift) {
        TargetFolderCount = SavedTargetCounts.folders;
        TargetFileCount = SavedTargetCounts.files;
    } else {
        SaveCounts();
        TargetFolderCount = 0;
        TargetFileCount = 0;
    }
    ClearResultCounts();
    ShowCounts();
}

// The menu opens at the cursor; once it has run a command, OK no longer hands targets back.
void OnRightButtonUp(HWND dialog) {
    PlacementMode savedMode = MenuPlacement.mode;
    ScreenPoint savedPosition = MenuPosition;
    MenuPlacement.mode = PlacementMode::Mouse2;
    MenuPosition = {-1, -1};
    EnableWindow(OkButton, FALSE);
    if (ShowPopupMenu(dialog, 0) != 0) {
        OptionResult = 0;
        SaveCounts();
        TargetFolderCount = 0;
        TargetFileCount = 0;
        ClearResultCounts();
        ShowCounts();
    }
    MenuPlacement.mode = savedMode;
    MenuPosition = savedPosition;
}

// Adds one dropped item unless the targets are full or the table already holds it.
void AddDroppedTarget(const char* path) {
    if (TargetFolderCount + TargetFileCount >= kMaxTargets) return;
    bool folder = PathIsDirectoryA(path) != FALSE;
    char (*rows)[kRowBytes] = folder ? TargetFolders : TargetFiles;
    int& count = folder ? TargetFolderCount : TargetFileCount;
    for (int i = 0; i < count; ++i) {
        if (NamesEqual(rows[i], path)) return;
    }
    CopyField(rows[count], kRowBytes, path);
    ++count;
}

// Every dropped item by its ANSI path, taken from its wide name so that none is best-fitted.
void OnDropFiles(HWND dialog, HDROP drop) {
    static wchar_t widePath[kWidePathChars];
    UINT items = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < items; ++i) {
        if (DragQueryFileW(drop, i, nullptr, 0) >= kWidePathChars) continue;
        DragQueryFileW(drop, i, widePath, kWidePathChars);
        char path[kPathBytes];
        if (AnsiPathOfItem(widePath, path)) AddDroppedTarget(path);
    }
    ShowCounts();
    DragFinish(drop);
    SetForegroundWindow(dialog);
    SetFocus(CountLabel);
}

}  // namespace

const ControlLayout kDialogControls[kDialogControlCount] = {
    {"STATIC", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 2, 140, 16, kScopeLabelId},
    {"STATIC", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_CENTER, 0, 20, 140, 17, kCountLabelId},
    {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 7, 40, 55, 18, kOkButtonId},
    {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 72, 40, 55, 18, kCancelButtonId},
};

INT_PTR CALLBACK OptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_LBUTTONDOWN:
        StartDrag(dialog);
        return FALSE;
    case WM_MOUSEMOVE:
        Drag(dialog);
        return FALSE;
    case WM_LBUTTONUP:
        EndDrag();
        return FALSE;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick();
        return FALSE;
    case WM_RBUTTONUP:
        OnRightButtonUp(dialog);
        return FALSE;
    case WM_DROPFILES:
        OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(dialog, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}
