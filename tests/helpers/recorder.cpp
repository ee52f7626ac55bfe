// Test helper started in Korval's place: writes its raw command line and working folder to
// record.txt beside itself, one per line, and before that its wide command line to record-wide.txt
// (UTF-16), so a test sees exactly what it was handed.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH], folder[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string record(path);
    record.replace(record.find_last_of('\\') + 1, std::string::npos, "record-wide.txt");
    FILE* wide = std::fopen(record.c_str(), "wb");
    if (wide == nullptr) return 1;
    const wchar_t* line = GetCommandLineW();
    std::fwrite(line, sizeof(wchar_t), std::wcslen(line), wide);
    std::fclose(wide);
    record.replace(record.find_last_of('\\') + 1, std::string::npos, "record.txt");
    FILE* out = std::fopen(record.c_str(), "wb");
    if (out == nullptr) return 1;
    std::fprintf(out, "%s\n%s\n", GetCommandLineA(), folder);
    std::fclose(out);
    return 0;
}
