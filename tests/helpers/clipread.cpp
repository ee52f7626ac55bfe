// Test helper: writes the clipboard's CF_TEXT bytes, unchanged, to standard output or to the file
// named as its argument; exits with 1 when the clipboard holds no text.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (!OpenClipboard(nullptr)) return 2;
    int result = 1;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text != nullptr) {
        FILE* out = argc > 1 ? std::fopen(argv[1], "wb") : stdout;
        if (out != nullptr) {
            std::fwrite(text, 1, std::strlen(text), out);
            if (out != stdout) std::fclose(out);
            result = 0;
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}
