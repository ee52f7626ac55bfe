// Kernel handles closed on every way out of the scope that opened them.
#pragma once

#include <windows.h>

template <BOOL(WINAPI* Close)(HANDLE)>
struct ScopedHandle {
    HANDLE handle;  // INVALID_HANDLE_VALUE when the open failed
    explicit ScopedHandle(HANDLE opened) : handle(opened) {}
    ~ScopedHandle() {
        if (handle != INVALID_HANDLE_VALUE) Close(handle);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
};

using FileHandle = ScopedHandle<CloseHandle>;
using SearchHandle = ScopedHandle<FindClose>;
