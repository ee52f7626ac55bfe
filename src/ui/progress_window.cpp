// The progress window: a small modeless box that long filter runs and sorts write into directly.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "common/tables.h"
#include "common/text.h"
#include "ui/controls.h"
#include "ui/ui.h"

namespace {

constexpr int kWindowWidth = 150;
constexpr int kWindowHeight = 60;
constexpr int kLeftOfCentre = 75;   // the window's corner relative to the screen centre
constexpr int kAboveCentre = 35;
constexpr int kFontHeight = 12;

// The counter and the bar change for every file while a repaint costs far more than testing one;
// they are shown at most this often, always with the latest state.
constexpr DWORD kRepaintInterval = 30;
constexpr int kNoteBytes = 64;

// The progress bar's class comes with the common-controls library. Loading it costs a large part of
// a start, so it is loaded when the first progress window opens and stays loaded after that.
constexpr char kCommonControlsLibrary[] = "comctl32.dll";
using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

constexpr int kTitleLineId = 102;
constexpr int kLeftNoteId = 103;
constexpr int kRightNoteId = 104;
constexpr int kProgressBarId = 300;

// Process-wide while the window is open; the window owns the controls, the teardown the font.
HWND ProgressWindow;
HWND TitleLine;
HWND LeftNote;
HWND RightNote;
HWND ProgressBar;
HFONT ProgressFont;
HMODULE CommonControls;

// What the frequent writers changed since the last repaint.
DWORD LastRepaint;
char PendingRightNote[kNoteBytes];
bool RightNotePending;
int PendingSteps;

struct ControlPlace {
    HWND* handle;
    ControlLayout layout;
    bool takesFont;
};

const ControlPlace kControls[] = {
    {&TitleLine, {"STATIC", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 2, 127, 15, kTitleLineId}, true},
    {&LeftNote, {"STATIC", WS_CHILD | WS_VISIBLE, 10, 20, 30, 15, kLeftNoteId}, true},
    {&RightNote, {"STATIC", WS_CHILD | WS_VISIBLE | SS_RIGHT, 47, 20, 90, 15, kRightNoteId}, true},
    {&ProgressBar, {PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 10, 35, 127, 15, kProgressBarId}, false},
};

void MakeBarClassAvailable() {
    if (CommonControls == nullptr) CommonControls = LoadLibraryA(kCommonControlsLibrary);
    if (CommonControls == nullptr) return;
    auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(CommonControls, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    if (init != nullptr) init(&classes);
}

void LayOut(HWND window) {
    MoveWindow(window, ScreenWidth / 2 - kLeftOfCentre, MaximizedHeight / 2 - kAboveCentre, kWindowWidth, kWindowHeight,
               TRUE);
    ShowWindow(window, SW_SHOW);
    for (const ControlPlace& place : kControls) {
        *place.handle = CreateControl(window, place.layout, "", place.takesFont ? ProgressFont : nullptr);
    }
}

INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    ProgressWindow = window;
    LayOut(window);
    return TRUE;
}

// No message loop runs while the window is up, so every change is painted at once.
void SetText(HWND control, const char* text) {
    if (control == nullptr) return;
    SetWindowTextA(control, text);
    UpdateWindow(control);
}

void SendToBar(UINT message, WPARAM wParam, LPARAM lParam) {
    if (ProgressBar == nullptr) return;
    SendMessageA(ProgressBar, message, wParam, lParam);
    UpdateWindow(ProgressBar);
}

// Takes paint messages, and no posted or input message, from the queue: on the way the display's
// own events are handled, so parts of the window that the screen lost (drawn before the display
// showed it, or covered meanwhile) come back.
void PaintLostParts() {
    MSG message;
    for (HWND part : {ProgressWindow, TitleLine, LeftNote, RightNote, ProgressBar}) {
        while (part != nullptr && PeekMessageA(&message, part, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
}

// Shows the pending note and steps when the last repaint is long enough ago.
void RepaintWhenDue() {
    DWORD now = GetTickCount();
    if (now - LastRepaint < kRepaintInterval) return;
    LastRepaint = now;
    if (RightNotePending) SetText(RightNote, PendingRightNote);
    if (PendingSteps > 0) SendToBar(PBM_DELTAPOS, static_cast<WPARAM>(PendingSteps), 0);
    RightNotePending = false;
    PendingSteps = 0;
    PaintLostParts();
}

}  // namespace

void OpenProgressWindow(HWND owner) {
    MakeBarClassAvailable();
    ProgressFont = CreateUiFont(kUiFontFace, kFontHeight);
    LastRepaint = GetTickCount() - kRepaintInterval;
    RightNotePending = false;
    PendingSteps = 0;
    CreateDialogParamA(Instance, "PROGRESS", owner, ProgressProc, 0);
    if (ProgressWindow == nullptr) return;
    RedrawWindow(ProgressWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PaintLostParts();
}

void SetProgressTitle(const char* text) {
    SetText(TitleLine, text);
}

void SetProgressLeftNote(const char* text) {
    SetText(LeftNote, text);
}

void SetProgressRightNote(const char* text) {
    CopyField(PendingRightNote, kNoteBytes, text);
    RightNotePending = true;
    RepaintWhenDue();
}

void SetProgressRange(int maximum) {
    SendToBar(PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
    SendToBar(PBM_SETSTEP, 1, 0);
}

// The bar's step is always 1 and no user steps beyond its range, so moving it by the pending
// number of steps at once is the same as stepping it that many times.
void StepProgress() {
    ++PendingSteps;
    RepaintWhenDue();
}

void CloseProgressWindow() {
    for (const ControlPlace& place : kControls) {
        if (*place.handle != nullptr) DestroyWindow(*place.handle);
        *place.handle = nullptr;
    }
    if (ProgressWindow != nullptr) DestroyWindow(ProgressWindow);
    ProgressWindow = nullptr;
    if (ProgressFont != nullptr) DeleteObject(ProgressFont);
    ProgressFont = nullptr;
}
