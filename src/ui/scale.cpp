// Reading the display scale through functions that older systems lack, looked up at run time.
#include "ui/scale.h"

namespace {

// shellscalingapi: MONITOR_DPI_TYPE's effective DPI, the one the system scales windows by.
constexpr int kEffectiveDpi = 0;
using MonitorDpiFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using WindowDpiFunction = UINT(WINAPI*)(HWND);
using DialogBehaviourFunction = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDisableAll = 1;  // DDC_DISABLE_ALL

// The library of GetDpiForMonitor, loaded at the first question and kept for the process.
HMODULE ShellScaling;
bool ShellScalingTried;

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

int MonitorDpi(HMONITOR monitor) {
    if (!ShellScalingTried) {
        ShellScalingTried = true;
        ShellScaling = LoadLibraryA("shcore.dll");
    }
    auto dpiForMonitor = Lookup<MonitorDpiFunction>(ShellScaling, "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (dpiForMonitor != nullptr && SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) {
        return static_cast<int>(y);
    }
    return ScreenDpi();
}

// The monitor whose area, measured at 96 DPI from its own top-left corner, holds a point.
struct PlacementSearch {
    POINT point;
    HMONITOR found;
};

BOOL CALLBACK HoldsPoint(HMONITOR monitor, HDC, RECT* area, LPARAM context) {
    auto* search = reinterpret_cast<PlacementSearch*>(context);
    int dpi = MonitorDpi(monitor);
    RECT extent = {area->left, area->top, area->left + MulDiv(area->right - area->left, kDefaultDpi, dpi),
                   area->top + MulDiv(area->bottom - area->top, kDefaultDpi, dpi)};
    if (!PtInRect(&extent, search->point)) return TRUE;
    search->found = monitor;
    return FALSE;
}

}  // namespace

int DpiAtPoint(POINT point) {
    return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

int WindowDpi(HWND window) {
    auto dpiForWindow = Lookup<WindowDpiFunction>(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    if (dpiForWindow != nullptr) {
        UINT dpi = dpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    RECT frame;
    GetWindowRect(window, &frame);
    return DpiAtPoint({frame.left, frame.top});
}

ScreenPoint ScreenPointOfPlacement(const MenuPlacementRecord& placement) {
    POINT point = {placement.x, placement.y};
    HMONITOR monitor = nullptr;
    if (placement.xAtEdge || placement.yAtEdge) {
        monitor = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    } else {
        PlacementSearch search = {point, nullptr};
        EnumDisplayMonitors(nullptr, nullptr, HoldsPoint, reinterpret_cast<LPARAM>(&search));
        monitor = search.found != nullptr ? search.found : MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
    }
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) info.rcMonitor = {0, 0, 0, 0};
    int dpi = MonitorDpi(monitor);
    const POINT origin = {info.rcMonitor.left, info.rcMonitor.top};
    return {placement.xAtEdge ? point.x : origin.x + ScaleTo(point.x - origin.x, dpi),
            placement.yAtEdge ? point.y : origin.y + ScaleTo(point.y - origin.y, dpi)};
}

void TakeOverDialogScaling(HWND dialog) {
    auto setBehaviour = Lookup<DialogBehaviourFunction>(GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior");
    if (setBehaviour != nullptr) setBehaviour(dialog, kDialogDisableAll, kDialogDisableAll);
}
