// Display scale: every layout is given at 96 DPI and scaled to the DPI of the monitor it shows on.
#pragma once

#include <windows.h>

#include "common/tables.h"

// The DPI at which every position, size and font height of the layouts is given: 100 %.
constexpr int kDefaultDpi = 96;

// `value`, given at 96 DPI, at `dpi`, rounded; at 96 DPI it is `value` itself.
inline int ScaleTo(int value, int dpi) {
    return MulDiv(value, dpi, kDefaultDpi);
}

// The DPI of the monitor that holds `point`, or of the nearest one. Where the system cannot say
// (before Windows 8.1), the screen's DPI.
int DpiAtPoint(POINT point);

// The DPI that `window` is drawn at. Where the system cannot say (before Windows 10), the DPI of
// the monitor under its top-left corner.
int WindowDpi(HWND window);

// Where an explicit placement of the settings or the command line lands on the screen. Its
// numbers are 96-DPI positions, scaled about the top-left corner of the monitor whose 96-DPI
// extent holds them; a coordinate given as MAX is the primary screen's edge and stays as it is.
ScreenPoint ScreenPointOfPlacement(const MenuPlacementRecord& placement);

// Leaves every change of the dialog's layout at a new DPI to the dialog itself, where the system
// would otherwise rescale the dialog on its own (Windows 10 1703 and later).
void TakeOverDialogScaling(HWND dialog);
