// Test helper: prints what a shortcut file holds (target, arguments and working folder, one per
// line, in the system code page), or with "/sendto" the current user's Send To folder.
// Exits with 1 when the shortcut or the folder cannot be read.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>

int main(int argc, char** argv) {
    char target[MAX_PATH] = "", arguments[INFOTIPSIZE] = "", dir[MAX_PATH] = "";
    if (argc == 2 && lstrcmpA(argv[1], "/sendto") == 0) {
        const auto hr = SHGetFolderPathA(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, dir);
        return SUCCEEDED(hr) && std::printf("%s\n", dir) > 0 ? 0 : 1;
    }
    WCHAR widePath[MAX_PATH];
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    // Each step needs the one before; whatever was obtained is released below.
    const bool read = argc == 2 && MultiByteToWideChar(CP_ACP, 0, argv[1], -1, widePath, MAX_PATH) != 0 &&
                      SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) &&
                      SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                                 reinterpret_cast<void**>(&link))) &&
                      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                      SUCCEEDED(file->Load(widePath, STGM_READ)) &&
                      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                      SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE)) &&
                      SUCCEEDED(link->GetWorkingDirectory(dir, MAX_PATH));
    if (file) file->Release();
    if (link) link->Release();
    return read && std::printf("%s\n%s\n%s\n", target, arguments, dir) > 0 ? 0 : 1;
}
