// The work of the benchmarks' floors, shared by their console and GUI programs: a walk that only
// counts the files of one extension, and a walk that reads every file whole into one buffer.
#pragma once

#include <windows.h>

#include <cstring>

struct WalkCount {
    long files;
    long hits;
};

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

// `path` holds the folder in its first `length` bytes and has room for MAX_PATH bytes.
inline void CountIn(char* path, size_t length, const char* extension, size_t extensionLength, WalkCount* count) {
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
            CountIn(path, length + 1 + nameLength, extension, extensionLength, count);
        } else {
            ++count->files;
            if (HasExtension(name, extension, extensionLength)) ++count->hits;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// Counts the files below `folder` and those with `extension` (its dot included); false when the
// folder does not fit in a path.
inline bool CountTree(const char* folder, const char* extension, WalkCount* count) {
    char path[MAX_PATH];
    size_t length = std::strlen(folder);
    if (length + 5 >= MAX_PATH) return false;
    std::memcpy(path, folder, length + 1);
    *count = {0, 0};
    CountIn(path, length, extension, std::strlen(extension), count);
    return true;
}

// One buffer for every file read, grown to the largest.
struct ReadState {
    char* buffer;
    DWORD size;
    unsigned long long bytesRead;
};

inline void ReadWhole(const char* path, ReadState* state) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(file, nullptr);
    if (size > state->size) {
        VirtualFree(state->buffer, 0, MEM_RELEASE);
        state->buffer = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        state->size = state->buffer != nullptr ? size : 0;
    }
    DWORD read = 0;
    if (state->buffer != nullptr && ReadFile(file, state->buffer, size, &read, nullptr)) state->bytesRead += read;
    CloseHandle(file);
}

inline void ReadIn(char* path, size_t length, ReadState* state) {
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
            ReadIn(path, length + 1 + nameLength, state);
        } else {
            ReadWhole(path, state);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// Reads every file below `folder`; returns the bytes read, or false when the folder does not fit
// in a path.
inline bool ReadTree(const char* folder, unsigned long long* bytesRead) {
    char path[MAX_PATH];
    size_t length = std::strlen(folder);
    if (length + 5 >= MAX_PATH) return false;
    std::memcpy(path, folder, length + 1);
    ReadState state = {nullptr, 0, 0};
    ReadIn(path, length, &state);
    VirtualFree(state.buffer, 0, MEM_RELEASE);
    *bytesRead = state.bytesRead;
    return true;
}
