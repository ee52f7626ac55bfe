// Test support for in-process and end-to-end tests of Korval under Wine.
#include "support/wine_test.h"

#include <shlobj.h>
#include <tlhelp32.h>
#include <shlwapi.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace korval_test {

namespace {

std::string Folder(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void RemoveTree(const std::string& path) {
    std::string from = path + '\0';  // the shell takes a list ended by an empty name
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&operation);
}

// Polls `found` every 50 ms until it gives a window or `milliseconds` have passed.
template <typename Find>
HWND Poll(DWORD milliseconds, Find found) {
    DWORD start = GetTickCount();
    do {
        if (HWND window = found()) return window;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

}  // namespace

std::string BinFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return Folder(path) + "\\";
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%skorval-%lu-%u", base, GetCurrentProcessId(), counter++);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    MakeFolder(Folder(path));
    std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<std::string> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeFolder(const std::string& path) {
    if (path.empty() || PathIsDirectoryA(path.c_str())) return;
    MakeFolder(Folder(path));
    CreateDirectoryA(path.c_str(), nullptr);
}

void MakeTree(const std::string& root, const std::vector<std::string>& relativePaths) {
    for (const std::string& relative : relativePaths) {
        if (!relative.empty() && relative.back() == '\\') {
            MakeFolder(root + "\\" + relative.substr(0, relative.size() - 1));
        } else {
            WriteBytes(root + "\\" + relative, relative);
        }
    }
}

std::string MakeDeepFolder(const std::string& base, size_t length) {
    // Components of 50 bytes while more than 60 remain; the last one takes the rest (`base` is shorter by 2 or more).
    std::string path = base;
    while (length - path.size() > 60) path += "\\" + std::string(50, 'd');
    path += "\\" + std::string(length - path.size() - 1, 'e');
    MakeFolder(path);
    return path;
}

KorvalInstall::KorvalInstall(const std::string& settings, const std::string& exeName) : exeName_(exeName) {
    CopyFileA((BinFolder() + "Korval.exe").c_str(), exe().c_str(), FALSE);
    WriteBytes(settingsPath(), settings);
}

std::string KorvalInstall::settingsPath() const {
    return dir_ / (exeName_.substr(0, exeName_.find_last_of('.')) + ".ini");
}

void KorvalInstall::CopyRegexpLibrary() const {
    CopyFileA((BinFolder() + "BREGEXP.DLL").c_str(), (dir_ / "BREGEXP.DLL").c_str(), FALSE);
}

std::string KorvalInstall::InstallRecorder(const std::string& name) const {
    std::string path = dir_ / name;
    CopyFileA((BinFolder() + "recorder.exe").c_str(), path.c_str(), FALSE);
    return path;
}

// Line `index` of record.txt, once the recorder has written it.
std::optional<std::string> KorvalInstall::RecordedLine(int index) const {
    std::string record = dir_ / "record.txt";
    for (int i = 0; i < 200 && !PathFileExistsA(record.c_str()); ++i) Sleep(50);
    Sleep(100);
    auto bytes = ReadBytes(record);
    if (!bytes) return std::nullopt;
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = bytes->find('\n', start) + 1;
    return bytes->substr(start, bytes->find('\n', start) - start);
}

std::optional<std::string> KorvalInstall::RecordedCommandLine() const {
    return RecordedLine(0);
}

std::optional<std::string> KorvalInstall::RecordedFolder() const {
    return RecordedLine(1);
}

// The recorder writes record-wide.txt before record.txt.
std::optional<std::wstring> KorvalInstall::RecordedWideCommandLine() const {
    if (!RecordedLine(0)) return std::nullopt;
    auto bytes = ReadBytes(dir_ / "record-wide.txt");
    if (!bytes) return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
}

KorvalProcess::KorvalProcess(const std::string& exe, const std::string& arguments, const std::string& workingFolder) {
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info_)) {
        info_ = PROCESS_INFORMATION{};
    }
}

KorvalProcess::KorvalProcess(const std::string& exe, const std::wstring& arguments, const std::string& workingFolder) {
    std::wstring commandLine = L"\"" + std::wstring(exe.begin(), exe.end()) + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring folder(workingFolder.begin(), workingFolder.end());
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info_)) {
        info_ = PROCESS_INFORMATION{};
    }
}

KorvalProcess::~KorvalProcess() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

std::optional<DWORD> KorvalProcess::Wait(DWORD milliseconds) {
    if (info_.hProcess == nullptr) return std::nullopt;
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

int EndProcessesNamed(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(PathFindFileNameA(entry.szExeFile), exeName) != 0) continue;
        ++found;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return found;
}


std::optional<DWORD> RunKorval(const KorvalInstall& install, const std::string& arguments, DWORD milliseconds) {
    KorvalProcess process(install.exe(), arguments, install.folder());
    return process.Wait(milliseconds);
}

namespace {

bool OpenClipboardPatiently() {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(20);
    }
    return false;
}

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block == nullptr) return nullptr;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

}  // namespace

// Empties the clipboard and puts the given formats on it.
void PutOnClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    if (!OpenClipboardPatiently()) return;
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) SetClipboardData(format, GlobalCopy(bytes.data(), bytes.size()));
    CloseClipboard();
}

void SetClipboardText(const std::string& bytes) {
    PutOnClipboard({{CF_TEXT, bytes + '\0'}});
}

void SetClipboardFiles(const std::vector<std::string>& paths, bool alsoText, const std::string& text) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& path : paths) block += path + '\0';
    block += '\0';
    std::vector<std::pair<UINT, std::string>> formats = {{CF_HDROP, block}};
    if (alsoText) formats.push_back({CF_TEXT, text + '\0'});
    PutOnClipboard(formats);
}

void ClearClipboard() {
    PutOnClipboard({});
}

void SetClipboardWideFiles(const std::vector<std::wstring>& paths) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    names += L'\0';
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
    PutOnClipboard({{CF_HDROP, block}});
}

void SetClipboardWideText(const std::wstring& text) {
    std::wstring terminated = text + L'\0';
    PutOnClipboard({{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(terminated.data()),
                                                 terminated.size() * sizeof(wchar_t))}});
}

namespace {

// The clipboard's text in `format`, up to its terminator or the end of its block.
template <typename Char>
std::optional<std::basic_string<Char>> ClipboardTextOf(UINT format) {
    if (!OpenClipboardPatiently()) return std::nullopt;
    std::optional<std::basic_string<Char>> result;
    HANDLE data = GetClipboardData(format);
    if (const Char* text = data != nullptr ? static_cast<const Char*>(GlobalLock(data)) : nullptr) {
        size_t most = GlobalSize(data) / sizeof(Char), length = 0;
        while (length < most && text[length] != Char(0)) ++length;
        result = std::basic_string<Char>(text, length);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}

}  // namespace

std::optional<std::wstring> ClipboardWideText() {
    return ClipboardTextOf<wchar_t>(CF_UNICODETEXT);
}

std::optional<std::string> ClipboardText() {
    return ClipboardTextOf<char>(CF_TEXT);
}

std::string WindowText(HWND window) {
    // Wine answers a missing window of another process with whatever its scratch buffer held.
    if (window == nullptr) return "";
    char text[4096];
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

std::optional<FoundWindow> WaitForDialog(DWORD processId, DWORD milliseconds) {
    HWND dialog = Poll(milliseconds, [processId] {
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr;) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId && IsWindowVisible(window)) return window;
        }
        return HWND{};
    });
    if (dialog == nullptr) return std::nullopt;
    // A message box's text is its static control 0xFFFF.
    return FoundWindow{dialog, WindowText(dialog), WindowText(GetDlgItem(dialog, 0xFFFF))};
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitForPopupMenu(DWORD milliseconds) {
    return Poll(milliseconds, [] {
        HWND menu = FindWindowA("#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
    });
}

void KeyDown(WORD key) {
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
}

void KeyUp(WORD key) {
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
}

void TapKey(WORD key) {
    KeyDown(key);
    KeyUp(key);
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace korval_test
