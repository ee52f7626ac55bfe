// The floor of the content benchmark: reads every file below a folder whole into memory, with one
// buffer for all, and does nothing with the bytes. Usage: bare_read <folder>.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

char* Buffer;
DWORD BufferSize;
unsigned long long BytesRead;

void Read(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(file, nullptr);
    if (size > BufferSize) {
        VirtualFree(Buffer, 0, MEM_RELEASE);
        Buffer = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        BufferSize = Buffer != nullptr ? size : 0;
    }
    DWORD read = 0;
    if (Buffer != nullptr && ReadFile(file, Buffer, size, &read, nullptr)) BytesRead += read;
    CloseHandle(file);
}

void Walk(char* path, size_t length) {
    std::memcpy(path + length, "\\*.*", 5);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const char* name = entry.cFileName;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        size_t nameLength = std::strlen(name);
        if (length + 1 + nameLength + 4 >= MAX_PATH) continue;
        path[length] = '\\';
        std::memcpy(path + length + 1, name, nameLength + 1);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(path, length + 1 + nameLength);
        } else {
            Read(path);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    char path[MAX_PATH];
    size_t length = std::strlen(argv[1]);
    if (length + 5 >= MAX_PATH) return 2;
    std::memcpy(path, argv[1], length + 1);
    Walk(path, length);
    std::printf("%llu bytes read\n", BytesRead);
    return 0;
}
