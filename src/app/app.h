// Application shell: the hidden main window, the launch keys and the run controller.
#pragma once

#include <windows.h>

constexpr UINT_PTR kRunTimer = 610;

// The face of every font the program's windows use.
constexpr char kUiFontFace[] = "ＭＳ Ｐゴシック";

// Creates the user-interface font: Shift JIS, FW_NORMAL, proof quality, fixed pitch modern.
// The caller owns the font and deletes it.
HFONT CreateUiFont(const char* face, int height);

// Window procedure of MainWindow.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Derives the program's names from its own path; registers the class and creates MainWindow.
// Returns the message loop's exit code.
int RunProgram(HINSTANCE instance, HINSTANCE previous, char* commandLine);

// The one decision of a start: menu, named filter, named expression or a message.
void RunController(HWND owner);
