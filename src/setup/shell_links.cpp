// The Send To folder and the shortcut files in it, through the shell's link object.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "setup/setup.h"

namespace {

// Releases a COM interface at the end of its scope.
template <typename Interface>
struct ComRef {
    Interface* pointer = nullptr;
    ~ComRef() {
        if (pointer != nullptr) pointer->Release();
    }
};

constexpr char kShortcutPattern[] = "*.lnk";

}  // namespace

int SendToFolder(char* folder, int create) {
    int flags = CSIDL_SENDTO | (create ? CSIDL_FLAG_CREATE : 0);
    return SUCCEEDED(SHGetFolderPathA(nullptr, flags, nullptr, SHGFP_TYPE_CURRENT, folder)) ? 1 : 0;
}

int WriteShortcut(const char* linkPath, const char* target, const char* arguments,
                  const char* workingFolder, const char* description) {
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) return 0;
    ComRef<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.pointer)))) {
        return 0;
    }
    if (FAILED(link.pointer->SetPath(target)) || FAILED(link.pointer->SetArguments(arguments)) ||
        FAILED(link.pointer->SetWorkingDirectory(workingFolder)) ||
        FAILED(link.pointer->SetDescription(description))) {
        return 0;
    }
    ComRef<IPersistFile> file;
    if (FAILED(link.pointer->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.pointer)))) {
        return 0;
    }
    return SUCCEEDED(file.pointer->Save(widePath, TRUE)) ? 1 : 0;
}

int RemoveShortcutFolder(const char* folder) {
    if (!PathIsDirectoryA(folder)) return 1;
    char pattern[MAX_PATH];
    if (!PathCombineA(pattern, folder, kShortcutPattern)) return 0;
    int allGone = 1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            char path[MAX_PATH];
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            if (!PathCombineA(path, folder, found.cFileName) || !DeleteFileA(path)) allGone = 0;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // A folder that still holds files the user put there is left alone with them.
    RemoveDirectoryA(folder);
    return allGone;
}
