// Test helper: prints what a shortcut file holds (target, arguments and working folder, one per
// line, in the system code page), or with "/sendto" the current user's Send To folder.
// Exits with 1 when the shortcut cannot be read.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace {

int PrintShortcut(const char* path) {
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0) return 1;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return 1;
    }
    int result = 1;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        char target[MAX_PATH] = "";
        char arguments[INFOTIPSIZE] = "";
        char folder[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(widePath, STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE)) &&
            SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) {
            std::printf("%s\n%s\n%s\n", target, arguments, folder);
            result = 0;
        }
        file->Release();
    }
    link->Release();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2) return 2;
    if (std::strcmp(argv[1], "/sendto") == 0) {
        char folder[MAX_PATH];
        if (FAILED(SHGetFolderPathA(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
            return 1;
        }
        std::printf("%s\n", folder);
        return 0;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int result = PrintShortcut(argv[1]);
    CoUninitialize();
    return result;
}
