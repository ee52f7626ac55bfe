// Test helper started in Korval's place: writes its raw command line and working folder to
// record.txt beside itself, one per line, so a test sees exactly what it was handed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') --length;
    lstrcpyA(path + length, "record.txt");

    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    const char* commandLine = GetCommandLineA();

    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written;
    WriteFile(file, commandLine, lstrlenA(commandLine), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    WriteFile(file, folder, lstrlenA(folder), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
    return 0;
}
