// Creating the child controls of the option dialog and the progress window.
#include "ui/controls.h"

#include "common/tables.h"

HWND CreateControl(HWND parent, const ControlLayout& layout, const char* text, HFONT font) {
    HWND control = CreateWindowExA(0, layout.className, text, layout.style, layout.x, layout.y, layout.width,
                                   layout.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                   Instance, nullptr);
    if (font != nullptr) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}
