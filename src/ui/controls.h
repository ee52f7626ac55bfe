// Child controls laid out in code at fixed pixel positions: the dialogs' templates are empty.
#pragma once

#include <windows.h>

struct ControlLayout {
    const char* className;
    DWORD style;
    int x;
    int y;
    int width;
    int height;
    int id;
};

// Creates the control on `parent` and gives it `font` unless that is null. The parent owns it.
HWND CreateControl(HWND parent, const ControlLayout& layout, const char* text, HFONT font);
