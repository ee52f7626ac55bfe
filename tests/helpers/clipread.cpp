// Test helper: writes the clipboard's CF_TEXT bytes, unchanged, to the file named as its argument;
// exits with 1 when the clipboard holds no text.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 || !OpenClipboard(nullptr)) return 2;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    FILE* out = text ? std::fopen(argv[1], "wb") : nullptr;
    if (out != nullptr) std::fwrite(text, 1, std::strlen(text), out), std::fclose(out);
    if (text != nullptr) GlobalUnlock(data);
    CloseClipboard();
    return out != nullptr ? 0 : 1;
}
