// Test support for in-process and end-to-end tests of Korval under Wine.
#include "support/wine_test.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "support/screenshot.h"
#include "ui/menu_parts.h"

namespace korval_test {

namespace {

// The static control that holds a message box's message.
constexpr int kMessageTextId = 0xFFFF;
// A report shows at most this much of the clipboard's text.
constexpr size_t kReportedTextBytes = 300;
// Wine draws a popup menu's first item from 3 pixels inside its frame on; this far in, a
// highlighted item shows its background.
constexpr int kFirstItemInset = 4;

std::string Folder(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Deletes `folder` (a \\?\ path) with everything in it, entry by entry, however long its paths.
void RemoveWideTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName, path = folder + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW(path.c_str());
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveDirectoryW(path.c_str());
            } else {
                RemoveWideTree(path);
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// Only a full path with a drive is removed. The shell's delete is not used: under Wine it loses its
// way in a tree whose paths pass MAX_PATH and then deletes the files of the current folder.
void RemoveTree(const std::string& path) {
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return;
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide, MAX_PATH) == 0) return;
    RemoveWideTree(std::wstring(L"\\\\?\\") + wide);
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

// The program file of every process, by identifier.
std::map<DWORD, std::string> ProgramNames() {
    std::map<DWORD, std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        names[entry.th32ProcessID] = entry.szExeFile;
    }
    CloseHandle(snapshot);
    return names;
}

// The full paths of the running programs whose files lie in `folder`.
std::vector<std::string> ProgramsRunningFrom(const std::string& folder) {
    std::vector<std::string> running;
    for (const auto& [id, name] : ProgramNames()) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (process == nullptr) continue;
        char path[MAX_PATH];
        DWORD size = MAX_PATH;
        DWORD code = 0;
        if (GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
            QueryFullProcessImageNameA(process, 0, path, &size) &&
            lstrcmpiA(Folder(path).c_str(), folder.c_str()) == 0) {
            running.push_back(path);
        }
        CloseHandle(process);
    }
    return running;
}

std::string Describe(HWND window, const std::map<DWORD, std::string>& programs) {
    if (window == nullptr) return "no window";
    std::ostringstream out;
    RECT place = {};
    GetWindowRect(window, &place);
    DWORD process = ProcessOf(window);
    auto program = programs.find(process);
    out << window << " " << ClassOf(window) << " \"" << WindowText(window) << "\" process " << process << " ("
        << (program == programs.end() ? "?" : program->second) << ") "
        << (IsWindowVisible(window) ? "visible" : "hidden") << " (" << place.left << "," << place.top << ")-("
        << place.right << "," << place.bottom << ")";
    return out.str();
}

// Texts of the system code page as UTF-8, the encoding of the logs that show the reports.
std::string Utf8(const std::string& text) {
    int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string converted(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, converted.data(), length, nullptr, nullptr);
    return converted;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::string ClipboardFormatName(UINT format) {
    static const std::pair<UINT, const char*> kStandard[] = {
        {CF_TEXT, "CF_TEXT"}, {CF_BITMAP, "CF_BITMAP"}, {CF_OEMTEXT, "CF_OEMTEXT"}, {CF_DIB, "CF_DIB"},
        {CF_UNICODETEXT, "CF_UNICODETEXT"}, {CF_HDROP, "CF_HDROP"}, {CF_LOCALE, "CF_LOCALE"}, {CF_DIBV5, "CF_DIBV5"}};
    for (const auto& [number, name] : kStandard) {
        if (number == format) return name;
    }
    char name[256];
    int length = GetClipboardFormatNameA(format, name, sizeof name);
    return length > 0 ? std::string(name, length) : "format " + std::to_string(format);
}

// CF_TEXT of the open clipboard, with its line breaks written out and its length bounded.
std::string ReportedText() {
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text == nullptr) return "";
    std::string shown;
    for (const char* c = text; *c != '\0' && shown.size() < kReportedTextBytes; ++c) {
        shown += *c == '\r' ? std::string("\\r") : *c == '\n' ? std::string("\\n") : std::string(1, *c);
    }
    GlobalUnlock(data);
    return " \"" + shown + "\"";
}

std::string ClipboardReport(const std::map<DWORD, std::string>& programs) {
    std::ostringstream out;
    out << "Clipboard: owner " << Describe(GetClipboardOwner(), programs) << "\n";
    if (!WaitUntil(kPollMilliseconds * 10, [] { return OpenClipboard(nullptr) != FALSE; })) {
        out << "  held open by " << Describe(GetOpenClipboardWindow(), programs) << "\n";
        return out.str();
    }
    out << "  formats:";
    for (UINT format = 0; (format = EnumClipboardFormats(format)) != 0;) {
        out << " " << ClipboardFormatName(format) << (format == CF_TEXT ? ReportedText() : "");
    }
    CloseClipboard();
    out << "\n";
    return out.str();
}

// Saves a screenshot under failures\ beside the test programs, named after the running test and
// the time, and returns its path.
std::string SaveScreenshot() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "outside-a-test";
    std::replace(name.begin(), name.end(), '/', '_');
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[64];
    wsprintfA(stamp, "-%04u%02u%02u-%02u%02u%02u-%03u.bmp", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond, now.wMilliseconds);
    std::string path = BinFolder() + "failures\\" + name + stamp;
    CaptureScreen().Save(path);
    return path;
}

// A message box or the option dialog, once it is shown complete; nullopt for anything else.
std::optional<FoundWindow> CompleteDialog(HWND window) {
    if (!IsWindowVisible(window)) return std::nullopt;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        // A message box: Wine builds it from a template and shows it once its message is set.
        std::string text = WindowText(GetDlgItem(window, kMessageTextId));
        if (text.empty()) return std::nullopt;
        return FoundWindow{window, WindowText(window), text, false};
    }
    // The option dialog's template has no caption, and it is shown before its controls exist.
    for (int id : {kScopeLabelId, kCountLabelId, kOkButtonId, kCancelButtonId}) {
        if (GetDlgItem(window, id) == nullptr) return std::nullopt;
    }
    return FoundWindow{window, WindowText(window), "", true};
}

std::optional<FoundWindow> FindDialog(DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr;) {
        if (ProcessOf(window) != processId) continue;
        if (auto dialog = CompleteDialog(window)) return dialog;
    }
    return std::nullopt;
}

// Whether `menu` takes keys and clicks now: the menu loop of its thread has captured it (it is
// not merely shown), and that thread is in the foreground, where keyboard input goes.
bool Tracked(HWND menu) {
    DWORD thread = GetWindowThreadProcessId(menu, nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return thread != 0 && IsWindowVisible(menu) && GetGUIThreadInfo(thread, &info) && info.hwndCapture == menu &&
           (info.flags & GUI_INMENUMODE) != 0 && GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == thread;
}

// A tracked popup menu of process `processId`, or of any process for 0.
HWND TrackedMenu(DWORD processId) {
    for (HWND menu = nullptr; (menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr;) {
        if ((processId == 0 || ProcessOf(menu) == processId) && Tracked(menu)) return menu;
    }
    return nullptr;
}

bool OpenClipboardWithin(DWORD milliseconds) {
    if (WaitUntil(milliseconds, [] { return OpenClipboard(nullptr) != FALSE; })) return true;
    ADD_FAILURE() << "the clipboard stayed open by " << Utf8(Describe(GetOpenClipboardWindow(), ProgramNames()))
                  << " for " << milliseconds << " ms\n" << ScreenReport();
    return false;
}

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block == nullptr) return nullptr;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

// Empties the clipboard and puts the given formats on it.
void PutOnClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    if (!OpenClipboardWithin(kClipboardDeadline)) return;
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) SetClipboardData(format, GlobalCopy(bytes.data(), bytes.size()));
    CloseClipboard();
}

// The display's name of a modifier key; null for a key that only Wine needs to see.
const char* DisplayKeyName(WORD key) {
    switch (key) {
    case VK_SHIFT:
        return "Shift_L";
    case VK_CONTROL:
        return "Control_L";
    case VK_MENU:
        return "Alt_L";
    default:
        return nullptr;
    }
}

// Starts a Linux program by its path on drive Z:, as Wine runs them; Wine hands back no process
// handle to wait on, so callers wait for what the program does. Without a console of its own, Wine
// would open a console window for it, which takes the foreground (and closes Korval's menu).
bool StartLinuxProgram(const std::string& commandLine) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program{};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &program)) {
        ADD_FAILURE() << "could not run " << commandLine << " (error " << GetLastError() << ")";
        return false;
    }
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    return true;
}

// The Linux path that Wine gives a Windows path.
std::string LinuxPath(const std::string& path) {
    using ToLinux = char*(CDECL*)(LPCWSTR);
    auto toLinux = reinterpret_cast<ToLinux>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (toLinux == nullptr || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) return "";
    char* converted = toLinux(wide);
    std::string result = converted != nullptr ? converted : "";
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
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

bool WaitUntil(DWORD milliseconds, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(kPollMilliseconds);
    }
}

std::string ScreenReport() {
    std::map<DWORD, std::string> programs = ProgramNames();
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::ostringstream out;
    out << "Windows, topmost first:\n";
    for (HWND window : windows) {
        out << "  " << Describe(window, programs) << "\n";
        if (!IsWindowVisible(window)) continue;
        std::vector<HWND> controls;
        EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&controls));
        for (HWND control : controls) {
            out << "    " << ClassOf(control) << " id " << GetDlgCtrlID(control) << " \"" << WindowText(control) << "\""
                << (IsWindowVisible(control) ? "" : " hidden") << "\n";
        }
    }
    out << ClipboardReport(programs) << "Screenshot: " << SaveScreenshot() << "\n";
    return Utf8(out.str());
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

// Line `index` of record.txt, which the recorder renames into place once it is complete. The
// rename keeps the file open for a moment, during which it cannot be read.
std::optional<std::string> KorvalInstall::RecordedLine(int index) const {
    std::string record = dir_ / "record.txt";
    std::optional<std::string> bytes;
    if (!WaitUntil(kEndDeadline, [&] { return (bytes = ReadBytes(record)).has_value(); })) {
        ADD_FAILURE() << "no program wrote a readable " << record << " within " << kEndDeadline << " ms\n"
                      << ScreenReport();
        return std::nullopt;
    }
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

bool KorvalInstall::RecorderStarted() const {
    const std::string own = exe();
    auto othersEnded = [&] {
        for (const std::string& program : ProgramsRunningFrom(folder())) {
            if (lstrcmpiA(program.c_str(), own.c_str()) != 0) return false;
        }
        return true;
    };
    if (!WaitUntil(kEndDeadline, othersEnded)) {
        ADD_FAILURE() << "a program started from " << folder() << " did not end within " << kEndDeadline << " ms\n"
                      << ScreenReport();
    }
    return PathFileExistsA((dir_ / "record.txt").c_str()) != FALSE;
}

KorvalProcess::KorvalProcess(const std::string& exe, const std::string& arguments, const std::string& workingFolder) {
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Start([&] {
        return CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info_);
    });
}

KorvalProcess::KorvalProcess(const std::string& exe, const std::wstring& arguments, const std::string& workingFolder) {
    std::wstring commandLine = L"\"" + std::wstring(exe.begin(), exe.end()) + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring folder(workingFolder.begin(), workingFolder.end());
    Start([&] {
        return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &startup, &info_);
    });
}

// Under load, Wine now and then refuses to create a process (seen once in some hundred starts), so
// a refused start is tried again until kWindowDeadline. Each refusal is counted and said, so that a
// start that never comes shows why.
void KorvalProcess::Start(const std::function<BOOL()>& create) {
    WaitUntil(kWindowDeadline, [&] {
        if (create()) return true;
        info_ = PROCESS_INFORMATION{};
        startError_ = GetLastError();
        ++refusedStarts_;
        return false;
    });
    if (refusedStarts_ > 0) {
        std::printf("note: Wine refused to start the program %d times (last error %lu)%s\n", refusedStarts_,
                    static_cast<unsigned long>(startError_), started() ? "; it started then" : "");
    }
}

std::string KorvalProcess::StartReport() const {
    return "Korval could not be started: " + std::to_string(refusedStarts_) + " tries within " +
           std::to_string(kWindowDeadline) + " ms, the last one refused with error " + std::to_string(startError_);
}

KorvalProcess::~KorvalProcess() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, kWindowDeadline);
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

std::optional<DWORD> KorvalProcess::ExpectEnd(DWORD milliseconds) {
    std::optional<DWORD> code = Wait(milliseconds);
    if (!code) {
        ADD_FAILURE() << (started() ? "Korval did not end within " + std::to_string(milliseconds) + " ms"
                                    : StartReport())
                      << "\n" << ScreenReport();
    }
    return code;
}

std::optional<DWORD> KorvalProcess::AnswerToEnd(const std::function<int(const FoundWindow&)>& answer,
                                                const std::function<void(HWND menu)>& pick, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    auto left = [&] {
        DWORD spent = GetTickCount() - start;
        return spent < milliseconds ? milliseconds - spent : 0;
    };
    std::string last = "nothing answered yet";
    std::optional<DWORD> code;
    std::optional<FoundWindow> dialog;
    HWND menu = nullptr;
    while (started() && WaitUntil(left(), [&] {
               return (code = Wait(0)) || (dialog = FindDialog(id())) || (menu = TrackedMenu(id())) != nullptr;
           })) {
        if (code) return code;
        if (dialog) {
            int button = answer(*dialog);
            PressButton(dialog->window, button);
            last = "pressed button " + std::to_string(button) + " of \"" + dialog->title + "\"";
            HWND pressed = dialog->window;
            if (!WaitUntil(left(), [&] { return !IsWindow(pressed); })) break;
        } else {
            if (pick) {
                pick(menu);
            } else {
                ADD_FAILURE() << "Korval opened a popup menu that the test does not pick from\n" << ScreenReport();
                TapKey(VK_ESCAPE);
            }
            last = "picked from a popup menu";
            if (!WaitForPopupMenuToClose(menu, left())) break;
        }
        dialog.reset();
        menu = nullptr;
    }
    ADD_FAILURE() << (started() ? "Korval did not end within " + std::to_string(milliseconds) + " ms; last " + Utf8(last)
                                : StartReport())
                  << "\n" << ScreenReport();
    return std::nullopt;
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

// The clipboard's text in `format`, up to its terminator or the end of its block, read as soon as
// no other program holds the clipboard open, waiting up to `milliseconds` for that.
template <typename Char>
std::optional<std::basic_string<Char>> ClipboardTextOf(UINT format, DWORD milliseconds) {
    if (!OpenClipboardWithin(milliseconds)) return std::nullopt;
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

std::optional<std::string> ClipboardText() {
    return ClipboardTextOf<char>(CF_TEXT, kClipboardDeadline);
}

std::optional<std::wstring> ClipboardWideText() {
    return ClipboardTextOf<wchar_t>(CF_UNICODETEXT, kClipboardDeadline);
}

std::string WindowText(HWND window) {
    if (window == nullptr) return "";
    char text[4096] = "";
    int length = GetWindowTextA(window, text, sizeof text);
    // Wine fills the buffer with whatever its heap held when the window is gone, so a text is
    // taken only from a window that still exists once it has been read.
    if (length <= 0 || !IsWindow(window)) return "";
    return std::string(text, strnlen(text, std::min<size_t>(length, sizeof text)));
}

std::optional<FoundWindow> WaitForDialog(DWORD processId, DWORD milliseconds) {
    std::optional<FoundWindow> dialog;
    WaitUntil(milliseconds, [&] { return (dialog = FindDialog(processId)).has_value(); });
    return dialog;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitForPopupMenu(DWORD milliseconds) {
    HWND menu = nullptr;
    WaitUntil(milliseconds, [&] { return (menu = TrackedMenu(0)) != nullptr; });
    return menu;
}

bool WaitForPopupMenuToClose(HWND menu, DWORD milliseconds) {
    return WaitUntil(milliseconds, [menu] { return !Tracked(menu); });
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

HeldKey::HeldKey(WORD key) : key_(key) {
    const char* name = DisplayKeyName(key);
    if (name != nullptr && UnderWine()) {
        signals_.emplace();
        const std::string held = *signals_ / "held";
        std::string commandLine = "Z:\\usr\\bin\\python3 \"" + LinuxPath(BinFolder() + "hold_key.py") + "\" " + name +
                                  " \"" + LinuxPath(held) + "\" \"" + LinuxPath(*signals_ / "release") + "\"";
        if (StartLinuxProgram(commandLine) &&
            !WaitUntil(kWindowDeadline, [&] { return PathFileExistsA(held.c_str()) != FALSE; })) {
            ADD_FAILURE() << name << " did not go down on the display within " << kWindowDeadline << " ms: "
                          << commandLine;
        }
    }
    KeyDown(key_);
    // Wine answers GetAsyncKeyState from a thread's cached copy of the key state, without asking
    // the server, while that copy is under 50 ms old, and input from another process does not
    // renew it. Korval's menu sends its own keystroke when it opens, which renews its copy while
    // this key is still up; a click within 50 ms of that would be read against the stale copy. No
    // state shows when that copy has aged, so the key stays down for twice its lifetime before
    // anything else happens. Load only lengthens the gap.
    Sleep(2 * kWineKeyStateCacheMilliseconds);
}

bool HeldKey::Lost() {
    if ((GetAsyncKeyState(key_) & 0x8000) == 0) lost_ = true;
    return lost_;
}

// The display lets go first: a report of its key state that comes in between can then only
// release the key in Wine, never press it again.
HeldKey::~HeldKey() {
    if (signals_) {
        const std::string held = *signals_ / "held";
        WriteBytes(*signals_ / "release", "");
        if (!WaitUntil(kWindowDeadline, [&] { return PathFileExistsA(held.c_str()) == FALSE; })) {
            ADD_FAILURE() << "a key held on the display was not let go within " << kWindowDeadline << " ms";
        }
    }
    KeyUp(key_);
}

void ParkPointer() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

bool WaitForFirstItemHighlighted(HWND menu, DWORD milliseconds) {
    RECT place = {};
    GetWindowRect(menu, &place);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    HDC screen = GetDC(nullptr);
    bool shown = WaitUntil(milliseconds, [&] {
        return GetPixel(screen, place.left + kFirstItemInset, place.top + kFirstItemInset) == highlight;
    });
    ReleaseDC(nullptr, screen);
    return shown;
}

void Click(HWND window, WORD button) {
    RECT place = {};
    GetWindowRect(window, &place);
    INPUT clicks[2] = {};
    const bool right = button == VK_RBUTTON;
    for (INPUT& click : clicks) {
        click.type = INPUT_MOUSE;
        click.mi.dx = MulDiv((place.left + place.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        click.mi.dy = MulDiv((place.top + place.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        click.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    clicks[0].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

bool PumpMessagesUntil(DWORD milliseconds, const std::function<bool()>& done) {
    return WaitUntil(milliseconds, [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return done();
    });
}

}  // namespace korval_test
