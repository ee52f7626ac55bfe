// The floor of a GUI start: registers a class, creates a hidden window, takes one timer message,
// puts one line on the clipboard and ends, as Korval must. What the line holds:
//   gui_floor line <text>                        the text
//   gui_floor walk <folder> <extension>          bare_walk's count, after its walk
//   gui_floor read <folder>                      bare_read's byte count, after its reads
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "floors.h"

namespace {

constexpr UINT_PTR kTimer = 1;
constexpr size_t kLineBytes = 512;

char Line[kLineBytes];

// The work the command line names, done on the timer message; false for an unknown command line.
bool MakeLine() {
    if (__argc == 3 && std::strcmp(__argv[1], "line") == 0) {
        std::snprintf(Line, sizeof Line, "%s", __argv[2]);
        return true;
    }
    if (__argc == 4 && std::strcmp(__argv[1], "walk") == 0) {
        WalkCount count;
        if (!CountTree(__argv[2], __argv[3], &count)) return false;
        std::snprintf(Line, sizeof Line, "%ld files, %ld with %s", count.files, count.hits, __argv[3]);
        return true;
    }
    if (__argc == 3 && std::strcmp(__argv[1], "read") == 0) {
        unsigned long long bytesRead = 0;
        if (!ReadTree(__argv[2], &bytesRead)) return false;
        std::snprintf(Line, sizeof Line, "%llu bytes read", bytesRead);
        return true;
    }
    return false;
}

void PutLine() {
    size_t length = std::strlen(Line);
    HGLOBAL block = GlobalAlloc(GHND, length + 1);
    if (block == nullptr) return;
    std::memcpy(GlobalLock(block), Line, length);
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        KillTimer(window, kTimer);
        if (MakeLine()) PutLine();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "GuiFloor";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "GuiFloor", "GuiFloor", WS_POPUP, 0, 0, 32, 32, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) return 1;
    SetTimer(window, kTimer, 0, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
