// The progress window: a small modeless box that long filter runs and sorts write into directly.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "common/tables.h"
#include "common/text.h"
#include "ui/controls.h"
#include "ui/progress_parts.h"
#include "ui/scale.h"
#include "ui/ui.h"

namespace {

// The counter and the bar change for every file while a repaint costs far more than testing one;
// they are shown at most this often, always with the latest state.
constexpr DWORD kRepaintInterval = 30;
constexpr int kNoteBytes = 64;

// The progress bar's class comes with the common-controls library. Loading it costs a large part of
// a start, so it is loaded when the first progress window opens and stays loaded after that.
constexpr char kCommonControlsLibrary[] = "comctl32.dll";
using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// Process-wide while the window is open; the window owns the controls, the teardown the font.
HWND ProgressWindow;
HWND TitleLine;
HWND LeftNote;
HWND RightNote;
HWND ProgressBar;
HFONT ProgressFont;
HMODULE CommonControls;
// The DPI of the monitor at the screen centre, which the window is laid out for.
int ProgressDpi;

// What the frequent writers changed since the last repaint.
DWORD LastRepaint;
char PendingRightNote[kNoteBytes];
bool RightNotePending;
int PendingSteps;

HWND* const kHandles[kProgressControlCount] = {&TitleLine, &LeftNote, &RightNote, &ProgressBar};

void MakeBarClassAvailable() {
    if (CommonControls == nullptr) CommonControls = LoadLibraryA(kCommonControlsLibrary);
    if (CommonControls == nullptr) return;
    auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(CommonControls, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    if (init != nullptr) init(&classes);
}

void LayOut(HWND window) {
    MoveWindow(window, ScreenWidth / 2 - ScaleTo(kProgressLeftOfCentre, ProgressDpi),
               MaximizedHeight / 2 - ScaleTo(kProgressAboveCentre, ProgressDpi), ScaleTo(kProgressWidth, ProgressDpi),
               ScaleTo(kProgressHeight, ProgressDpi), TRUE);
    ShowWindow(window, SW_SHOW);
    for (int i = 0; i < kProgressControlCount; ++i) {
        HFONT font = kProgressControls[i].id == kProgressBarId ? nullptr : ProgressFont;
        *kHandles[i] = CreateControl(window, kProgressControls[i], "", font, ProgressDpi);
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
// The bar's own timer ticks are taken too: with visual styles the bar moves its fill towards a new
// position in steps that its timer drives.
void PaintLostParts() {
    MSG message;
    for (HWND part : {ProgressWindow, TitleLine, LeftNote, RightNote, ProgressBar}) {
        while (part != nullptr && PeekMessageA(&message, part, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    while (ProgressBar != nullptr && PeekMessageA(&message, ProgressBar, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        DispatchMessageA(&message);
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

const ControlLayout kProgressControls[kProgressControlCount] = {
    {"STATIC", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 2, 127, 15, kTitleLineId},
    {"STATIC", WS_CHILD | WS_VISIBLE, 10, 20, 30, 15, kLeftNoteId},
    {"STATIC", WS_CHILD | WS_VISIBLE | SS_RIGHT, 47, 20, 90, 15, kRightNoteId},
    {PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 10, 35, 127, 15, kProgressBarId},
};

void OpenProgressWindow(HWND owner) {
    MakeBarClassAvailable();
    ProgressDpi = DpiAtPoint({ScreenWidth / 2, MaximizedHeight / 2});
    ProgressFont = CreateUiFont(kUiFontFace, ScaleTo(kProgressFontHeight, ProgressDpi));
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
    for (HWND* handle : kHandles) {
        if (*handle != nullptr) DestroyWindow(*handle);
        *handle = nullptr;
    }
    if (ProgressWindow != nullptr) DestroyWindow(ProgressWindow);
    ProgressWindow = nullptr;
    if (ProgressFont != nullptr) DeleteObject(ProgressFont);
    ProgressFont = nullptr;
}
