// The floor of the walk benchmark: enumerates a tree with FindFirstFileA/FindNextFileA and counts
// the files of one extension, nothing more. Usage: bare_walk <folder> <extension with its dot>.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

long Files;
long Hits;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII case folding only: the cheapest test that tells the extension apart.
bool HasExtension(const char* name, const char* extension, size_t extensionLength) {
    size_t length = std::strlen(name);
    if (length < extensionLength) return false;
    const char* tail = name + length - extensionLength;
    for (size_t i = 0; i < extensionLength; ++i) {
        if (Lower(tail[i]) != Lower(extension[i])) return false;
    }
    return true;
}

// `path` holds the folder in its first `length` bytes and has room for MAX_PATH bytes.
void Walk(char* path, size_t length, const char* extension, size_t extensionLength) {
    std::memcpy(path + length, "\\*.*", 5);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const char* name = entry.cFileName;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            size_t nameLength = std::strlen(name);
            if (length + 1 + nameLength + 4 >= MAX_PATH) continue;
            path[length] = '\\';
            std::memcpy(path + length + 1, name, nameLength + 1);
            Walk(path, length + 1 + nameLength, extension, extensionLength);
        } else {
            ++Files;
            if (HasExtension(name, extension, extensionLength)) ++Hits;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    char path[MAX_PATH];
    size_t length = std::strlen(argv[1]);
    if (length + 5 >= MAX_PATH) return 2;
    std::memcpy(path, argv[1], length + 1);
    Walk(path, length, argv[2], std::strlen(argv[2]));
    std::printf("%ld files, %ld with %s\n", Files, Hits, argv[2]);
    return 0;
}
