// Program start-up and the hidden main window that owns the message loop, menu and dialogs.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "app/app.h"
#include "common/tables.h"
#include "common/text.h"
#include "filter/filter.h"
#include "settings/settings.h"
#include "targets/targets.h"

namespace {

constexpr char kHelpFileName[] = "Korval.txt";  // whatever the program file is called

// The run is started by the first tick of the run timer and happens once. Paint messages taken
// while it runs also deliver what other threads and processes send to the window, so a second
// WM_TIMER 610 or a WM_CLOSE can arrive in the middle of it.
enum class RunStage { Armed, Running, Finished };
RunStage Stage = RunStage::Armed;

// WM_CREATE: the launch keys, the switches and the settings, then the one-shot run timer.
void CreateMainWindow(HWND window) {
    LaunchForegroundWindow = GetForegroundWindow();
    MainWindow = window;

    PathParts parts;
    SplitPath(OwnPath, &parts);
    JoinField(ProgramFolder, kPathBytes, parts.drive, parts.folder);
    JoinField(HelpFilePath, kPathBytes, ProgramFolder, kHelpFileName);
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    MaximizedHeight = GetSystemMetrics(SM_CYMAXIMIZED);
    MouseButtonCount = GetSystemMetrics(SM_CMOUSEBUTTONS);
    std::memset(FilterSwitchText, 0, sizeof FilterSwitchText);
    std::memset(RegexpSwitchText, 0, sizeof RegexpSwitchText);
    std::memset(&SelectedProgram, 0, sizeof SelectedProgram);
    JoinField(SettingsPath, kPathBytes, ProgramFolder, DefaultSettingsName);

    InsideFolders = (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0;
    OpenOptionDialog = (GetKeyState(VK_CONTROL) & 0x8000) ? 1 : 0;
    if (StrStrIA(CommandLineText, "/#k=sft")) InsideFolders = !InsideFolders;
    if (StrStrIA(CommandLineText, "/#k=ctl")) OpenOptionDialog = !OpenOptionDialog;

    if (CommandLineText[0] != '\0') ParseSwitches(CommandLineText);
    if (LoadSettings(window)) {
        SetTimer(window, kRunTimer, 0, nullptr);
    } else {
        SendMessageA(window, WM_CLOSE, 0, 0);
    }
}

void OnTimer(HWND window, WPARAM timer) {
    if (timer != kRunTimer) return;
    KillTimer(window, kRunTimer);
    if (Stage != RunStage::Armed) return;
    Stage = RunStage::Running;
    RunController(window);
    Stage = RunStage::Finished;
    SendMessageA(window, WM_CLOSE, 0, 0);
}

// A close request during the run waits for its end, where the window closes anyway.
void OnClose(HWND window) {
    if (Stage == RunStage::Running) return;
    DestroyWindow(window);
}

// The popup menu's first item is highlighted by a synthesized Down-arrow keystroke.
void HighlightFirstItem() {
    keybd_event(VK_DOWN, 0, 0, 0);
    keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
}

// Switching to another window while the menu is up: a posted click outside the menu ends it.
void CloseMenuOnFocusLoss(HWND window) {
    if (MenuTracking == 0) return;
    FocusLossClickPending = 1;
    PostMessageA(window, WM_LBUTTONDOWN, 0, 0);
}

LRESULT SwallowFocusLossClick() {
    if (FocusLossClickPending != 1) return 0;
    FocusLossClickPending = 0;
    return 1;
}

}  // namespace

HFONT CreateUiFont(const char* face, int height) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       FIXED_PITCH | FF_MODERN, face);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateMainWindow(window);
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_CLOSE:
        OnClose(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_INITMENU:
        HighlightFirstItem();
        return 0;
    case WM_KILLFOCUS:
        CloseMenuOnFocusLoss(window);
        return 0;
    case WM_LBUTTONDOWN:
        return SwallowFocusLossClick();
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int RunProgram(HINSTANCE instance, HINSTANCE previous, char* commandLine) {
    Instance = instance;
    GetModuleFileNameA(nullptr, OwnPath, kPathBytes);
    PathUnquoteSpacesA(OwnPath);
    PathParts parts;
    SplitPath(OwnPath, &parts);
    CopyField(ProgramBaseName, kPathBytes, parts.base);
    JoinField(DefaultSettingsName, kPathBytes, ProgramBaseName, ".ini");
    NoteStopKeyAtStart();
    CommandLineText = ReadableCommandLine(commandLine);

    if (previous == nullptr) {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, "MYICON");
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = ProgramBaseName;
        if (!RegisterClassA(&windowClass)) return 0;
    }
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, ProgramBaseName, ProgramBaseName,
                                  WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 32, 32, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) return 0;
    MainWindow = window;
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
