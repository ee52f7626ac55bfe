// The GUI entry point of Korval.exe.
#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
    return RunProgram(instance, previous, commandLine);
}
