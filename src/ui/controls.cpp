// Creating the child controls of the option dialog and the progress window.
#include "ui/controls.h"

#include "common/tables.h"
#include "ui/scale.h"

HWND CreateControl(HWND parent, const ControlLayout& layout, const char* text, HFONT font, int dpi) {
    HWND control = CreateWindowExA(0, layout.className, text, layout.style, ScaleTo(layout.x, dpi),
                                   ScaleTo(layout.y, dpi), ScaleTo(layout.width, dpi), ScaleTo(layout.height, dpi),
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), Instance, nullptr);
    if (font != nullptr) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

void RescaleControl(HWND control, const ControlLayout& layout, HFONT font, int dpi) {
    MoveWindow(control, ScaleTo(layout.x, dpi), ScaleTo(layout.y, dpi), ScaleTo(layout.width, dpi),
               ScaleTo(layout.height, dpi), TRUE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}
