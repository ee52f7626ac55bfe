// Child controls laid out in code at fixed pixel positions: the dialogs' templates are empty.
#pragma once

#include <windows.h>

// A control's place and size at 96 DPI.
struct ControlLayout {
    const char* className;
    DWORD style;
    int x;
    int y;
    int width;
    int height;
    int id;
};

// Creates the control on `parent`, laid out at `dpi`, and gives it `font` unless that is null.
// The parent owns it.
HWND CreateControl(HWND parent, const ControlLayout& layout, const char* text, HFONT font, int dpi);

// Lays an existing control out again at `dpi` and gives it `font`.
void RescaleControl(HWND control, const ControlLayout& layout, HFONT font, int dpi);
