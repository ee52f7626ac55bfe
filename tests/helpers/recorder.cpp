// Test helper started in Korval's place: writes its raw command line and working folder to
// record.txt beside itself, one per line, and before that its wide command line to record-wide.txt
// (UTF-16), so a test sees exactly what it was handed. The record is written under another name
// and renamed into place, so that record.txt is whole once it exists, and so is record-wide.txt.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH], folder[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string record(path), draft;
    record.replace(record.find_last_of('\\') + 1, std::string::npos, "record-wide.txt");
    FILE* wide = std::fopen(record.c_str(), "wb");
    if (wide == nullptr) return 1;
    const wchar_t* line = GetCommandLineW();
    std::fwrite(line, sizeof(wchar_t), std::wcslen(line), wide);
    if (std::fclose(wide) != 0) return 1;
    record.replace(record.find_last_of('\\') + 1, std::string::npos, "record.txt");
    draft = record + ".part";
    FILE* out = std::fopen(draft.c_str(), "wb");
    if (out == nullptr) return 1;
    std::fprintf(out, "%s\n%s\n", GetCommandLineA(), folder);
    if (std::fclose(out) != 0) return 1;
    return MoveFileExA(draft.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
