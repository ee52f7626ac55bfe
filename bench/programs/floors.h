// The work of the benchmarks' floors, shared by their console and GUI programs: a walk that only
// counts the files of one extension, and a walk that reads every file whole into one buffer.
#pragma once

#include <windows.h>

#include <cstring>

// Walks the tree below the folder held in the first `length` bytes of `path` (room for MAX_PATH
// bytes), depth first, with FindFirstFileA/FindNextFileA. Every file goes to `visit(path, length,
// name)` while `path` still holds its folder; folders whose path would not fit are not entered.
template <typename Visit>
void WalkIn(char* path, size_t length, Visit& visit) {
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
            WalkIn(path, length + 1 + nameLength, visit);
        } else {
            visit(path, length, name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// Walks below `folder`; false when the folder does not fit in a path.
template <typename Visit>
bool WalkTree(const char* folder, Visit& visit) {
    char path[MAX_PATH];
    size_t length = std::strlen(folder);
    if (length + 5 >= MAX_PATH) return false;
    std::memcpy(path, folder, length + 1);
    WalkIn(path, length, visit);
    return true;
}

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII case folding only: the cheapest test that tells the extension apart.
inline bool HasExtension(const char* name, const char* extension, size_t extensionLength) {
    size_t length = std::strlen(name);
    if (length < extensionLength) return false;
    const char* tail = name + length - extensionLength;
    for (size_t i = 0; i < extensionLength; ++i) {
        if (LowerAscii(tail[i]) != LowerAscii(extension[i])) return false;
    }
    return true;
}

struct WalkCount {
    long files;
    long hits;
};

// Counts the files below `folder` and those with `extension` (its dot included).
inline bool CountTree(const char* folder, const char* extension, WalkCount* count) {
    size_t extensionLength = std::strlen(extension);
    *count = {0, 0};
    auto tally = [&](char*, size_t, const char* name) {
        ++count->files;
        if (HasExtension(name, extension, extensionLength)) ++count->hits;
    };
    return WalkTree(folder, tally);
}

// Reads every file below `folder` whole, into one buffer grown to the largest file; `bytesRead`
// receives the total.
inline bool ReadTree(const char* folder, unsigned long long* bytesRead) {
    char* buffer = nullptr;
    DWORD bufferSize = 0;
    *bytesRead = 0;
    auto readWhole = [&](char* path, size_t length, const char* name) {
        size_t nameLength = std::strlen(name);
        if (length + 1 + nameLength + 4 >= MAX_PATH) return;
        path[length] = '\\';
        std::memcpy(path + length + 1, name, nameLength + 1);
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD size = GetFileSize(file, nullptr);
        if (size > bufferSize) {
            VirtualFree(buffer, 0, MEM_RELEASE);
            buffer = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
            bufferSize = buffer != nullptr ? size : 0;
        }
        DWORD read = 0;
        if (buffer != nullptr && ReadFile(file, buffer, size, &read, nullptr)) *bytesRead += read;
        CloseHandle(file);
    };
    bool walked = WalkTree(folder, readWhole);
    VirtualFree(buffer, 0, MEM_RELEASE);
    return walked;
}
