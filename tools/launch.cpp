// Launcher for the command-line tools: starts a program with a raw command line read from a file
// (system code page bytes, so quotes and double-byte names arrive exactly), waits for it to end
// and exits with its exit code. With "/clear" instead, it only empties the clipboard.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "/clear") == 0) {
        if (!OpenClipboard(nullptr)) return 2;
        EmptyClipboard();
        CloseClipboard();
        return 0;
    }
    if (argc != 2) return 2;
    FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) return 2;
    std::vector<char> commandLine;
    for (int c; (c = std::fgetc(in)) != EOF && c != '\r' && c != '\n';) commandLine.push_back(static_cast<char>(c));
    std::fclose(in);
    commandLine.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 3;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
