// Test support for in-process and end-to-end tests of Korval under Wine.
#include "support/wine_test.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>

namespace korval_test {

namespace {

// The static control that holds a message box's message.
constexpr int kMessageTextId = 0xFFFF;
// Wine draws a popup menu's first item from 3 pixels inside its frame on; this far in, a
// highlighted item shows its background.
constexpr int kFirstItemInset = 4;

std::string Folder(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Describe(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return window ? std::string(name) + " \"" + WindowText(window) + "\" of process " + std::to_string(ProcessOf(window))
                  : "no window";
}

// Calls `each` with every running process's identifier and program file.
void ForEachProcess(const std::function<void(DWORD id, const char* exeFile)>& each) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        each(entry.th32ProcessID, entry.szExeFile);
    }
    CloseHandle(snapshot);
}

// Whether a program other than `own` runs from a file in `folder`.
bool OthersRunFrom(const std::string& folder, const std::string& own) {
    bool found = false;
    ForEachProcess([&](DWORD id, const char*) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        char path[MAX_PATH];
        DWORD size = MAX_PATH, code = 0;
        found |= process && GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
                 QueryFullProcessImageNameA(process, 0, path, &size) && !lstrcmpiA(Folder(path).c_str(), folder.c_str()) &&
                 lstrcmpiA(path, own.c_str()) != 0;
        if (process) CloseHandle(process);
    });
    return found;
}

// Asks tools/wine-run for a screenshot of this moment and waits until it is taken; says which.
std::string Screenshot() {
    char root[MAX_PATH];
    if (!GetEnvironmentVariableA("KORVAL_TEST_ROOT", root, MAX_PATH)) return "no screenshot: not run by tools/wine-run";
    const std::string name = "screen-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    const std::string request = std::string(root) + "\\" + name + ".screenshot";
    WriteBytes(request, "");
    bool taken = WaitUntil(kClipboardDeadline, [&] { return !PathFileExistsA(request.c_str()); });
    return (taken ? "screenshot failures/" : "no screenshot came for ") + name + ".png";
}

// A message box or the option dialog, once it is shown complete; nullopt for anything else.
std::optional<FoundWindow> CompleteDialog(HWND window) {
    if (!IsWindowVisible(window)) return std::nullopt;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        // A message box: Wine builds it from a template and shows it once its message is set.
        std::string text = WindowText(GetDlgItem(window, kMessageTextId));
        return text.empty() ? std::nullopt : std::optional(FoundWindow{window, WindowText(window), text, false});
    }
    // The option dialog's template has no caption, and it is shown before its controls exist.
    for (int id : {kScopeLabelId, kCountLabelId, kOkButtonId, kCancelButtonId}) {
        if (GetDlgItem(window, id) == nullptr) return std::nullopt;
    }
    return FoundWindow{window, WindowText(window), "", true};
}

std::optional<FoundWindow> FindDialog(DWORD processId) {
    std::optional<FoundWindow> dialog;
    for (HWND window = nullptr; !dialog && (window = FindWindowExA(nullptr, window, "#32770", nullptr));) {
        if (ProcessOf(window) == processId) dialog = CompleteDialog(window);
    }
    return dialog;
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
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
        if ((processId == 0 || ProcessOf(menu) == processId) && Tracked(menu)) break;
    }
    return menu;
}

bool OpenClipboardWithin(DWORD milliseconds) {
    if (WaitUntil(milliseconds, [] { return OpenClipboard(nullptr) != FALSE; })) return true;
    ADD_FAILURE() << "the clipboard stayed open by " << Utf8(Describe(GetOpenClipboardWindow())) << " for "
                  << milliseconds << " ms\n" << ScreenReport();
    return false;
}

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

HGLOBAL GlobalCopy(const std::string& bytes, UINT flags) {
    HGLOBAL block = GlobalAlloc(flags, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// Empties the clipboard and puts the given formats on it.
void PutOnClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    if (!OpenClipboardWithin(kClipboardDeadline)) return;
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) SetClipboardData(format, GlobalCopy(bytes, GHND));
    CloseClipboard();
}

template <typename Char>
std::string DropBytes(const std::vector<std::basic_string<Char>>& paths) {
    DROPFILES header = {sizeof header, {0, 0}, FALSE, sizeof(Char) == sizeof(wchar_t)};
    std::basic_string<Char> names;
    for (const auto& path : paths) names += path + Char(0);
    return Bytes(&header, sizeof header) + Bytes(names.c_str(), (names.size() + 1) * sizeof(Char));
}

// The clipboard's text in `format`, up to its terminator or the end of its block.
template <typename Char>
std::optional<std::basic_string<Char>> ClipboardTextOf(UINT format) {
    if (!OpenClipboardWithin(kClipboardDeadline)) return std::nullopt;
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

// The Linux path that Wine gives a Windows path; empty outside Wine.
std::string LinuxPath(const std::string& path) {
    using ToLinux = char*(CDECL*)(LPCWSTR);
    auto toLinux = reinterpret_cast<ToLinux>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* converted = toLinux != nullptr ? toLinux(Widen(path).c_str()) : nullptr;
    std::string result = converted != nullptr ? converted : "";
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

// Starts a Linux program by its path on drive Z:, as Wine runs them; Wine hands back no process
// handle to wait on, so callers wait for what the program does. Without a console of its own, Wine
// would open a console window for it, which takes the foreground (and closes Korval's menu).
bool StartLinuxProgram(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &program)) {
        ADD_FAILURE() << "could not run " << commandLine << " (error " << GetLastError() << ")";
        return false;
    }
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    return true;
}

std::string FromWide(UINT codePage, const std::wstring& wide) {
    std::string out(wide.size() * 4, '\0');
    out.resize(WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

}  // namespace

std::wstring Widen(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

std::string Ansi(const std::wstring& wide) { return FromWide(CP_ACP, wide); }
std::string Narrow(const std::wstring& wide) { return FromWide(CP_UTF8, wide); }
std::string Utf8(const std::string& ansi) { return Narrow(Widen(ansi)); }

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

std::string BinFolder() {
    char path[MAX_PATH];
    return Folder(std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH))) + "\\";
}

TempDir::TempDir() {
    static unsigned counter = 0;
    char root[MAX_PATH];
    if (GetEnvironmentVariableA("KORVAL_TEST_ROOT", root, MAX_PATH) == 0) {
        GetTempPathA(MAX_PATH, root);
        lstrcatA(root, ("korval-" + std::to_string(GetCurrentProcessId())).c_str());
    }
    MakeFolder(root);
    do path_ = std::string(root) + "\\" + std::to_string(counter++);
    while (!CreateDirectoryA(path_.c_str(), nullptr));
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
        if (!relative.empty() && relative.back() == '\\') MakeFolder(root + "\\" + relative.substr(0, relative.size() - 1));
        else WriteBytes(root + "\\" + relative, relative);
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
    for (const DWORD start = GetTickCount();; Sleep(kPollMilliseconds)) {
        if (done()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
    }
}

std::string ScreenReport() {
    std::string report = "Visible windows, topmost first:\n";
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsWindowVisible(window)) report += "  " + Describe(window) + "\n";
    }
    return Utf8(report + "Clipboard held open by " + Describe(GetOpenClipboardWindow()) + "\n") + Screenshot() + "\n";
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
    CopyFileA((BinFolder() + "recorder.exe").c_str(), (dir_ / name).c_str(), FALSE);
    return dir_ / name;
}

// Line `index` of record.txt, which the recorder renames into place once it is complete. The
// rename keeps the file open for a moment, during which it cannot be read.
std::optional<std::string> KorvalInstall::RecordedLine(int index) const {
    std::optional<std::string> bytes;
    if (!WaitUntil(kEndDeadline, [&] { return (bytes = ReadBytes(dir_ / "record.txt")).has_value(); })) {
        ADD_FAILURE() << "no program wrote a readable record.txt in " << folder() << "\n" << ScreenReport();
        return std::nullopt;
    }
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = bytes->find('\n', start) + 1;
    return bytes->substr(start, bytes->find('\n', start) - start);
}

std::optional<std::string> KorvalInstall::RecordedCommandLine() const { return RecordedLine(0); }

// The recorder writes record-wide.txt before record.txt.
std::optional<std::wstring> KorvalInstall::RecordedWideCommandLine() const {
    auto bytes = RecordedLine(0) ? ReadBytes(dir_ / "record-wide.txt") : std::nullopt;
    if (!bytes) return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
}

bool KorvalInstall::RecorderStarted() const {
    if (!WaitUntil(kEndDeadline, [&] { return !OthersRunFrom(folder(), exe()); })) {
        ADD_FAILURE() << "a program started from " << folder() << " did not end\n" << ScreenReport();
    }
    return PathFileExistsA((dir_ / "record.txt").c_str()) != FALSE;
}

std::string KorvalInstall::EndOfRun(std::optional<DWORD> exitCode) const {
    std::string seen = (exitCode ? "exit " + std::to_string(*exitCode) : std::string("no end")) + "\nclipboard: " +
                       ClipboardText().value_or("(no text)");
    if (RecorderStarted()) {
        const std::string line = RecordedCommandLine().value_or(""), folder = RecordedLine(1).value_or("");
        const std::string own = Quoted(dir_ / "recorder.exe");
        seen += "\nstarted:" + (line.rfind(own, 0) == 0 ? line.substr(own.size()) : " " + line) +
                (folder == dir_.path() ? "" : " in " + folder);
    }
    return seen;
}

namespace {

template <typename Text>
std::string RunToEnd(const KorvalInstall& install, const Text& arguments, int answer,
                     const std::function<void(HWND)>& pick) {
    DeleteFileA((install.folder() + "\\record.txt").c_str());
    ParkPointer();
    KorvalProcess process(install.exe(), arguments, Folder(install.folder()));
    std::string seen;
    auto answerEach = [&](const FoundWindow& dialog) {
        const bool asks = GetDlgItem(dialog.window, IDYES) && GetDlgItem(dialog.window, IDNO);
        seen += dialog.optionDialog ? "dialog\n" : "box " + dialog.title + ": " + dialog.text + (asks ? " [yes/no]\n" : "\n");
        return answer;
    };
    auto close = [&](HWND menu) {
        seen += "menu\n";
        pick ? pick(menu) : TapKey(VK_ESCAPE);
    };
    const std::optional<DWORD> code = process.AnswerToEnd(answerEach, close);
    return seen + install.EndOfRun(code);
}

}  // namespace

std::string KorvalInstall::Run(const std::string& arguments, int answer, const std::function<void(HWND)>& pick) const {
    return RunToEnd(*this, arguments, answer, pick);
}
std::string KorvalInstall::Run(const std::wstring& arguments, int answer, const std::function<void(HWND)>& pick) const {
    return RunToEnd(*this, arguments, answer, pick);
}

KorvalProcess::KorvalProcess(const std::string& exe, const std::string& arguments, const std::string& workingFolder) {
    std::string commandLine = Quoted(exe) + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    Start([&] {
        return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info_);
    });
}

KorvalProcess::KorvalProcess(const std::string& exe, const std::wstring& arguments, const std::string& workingFolder) {
    std::wstring commandLine = Quoted(Widen(exe)) + (arguments.empty() ? L"" : L" " + arguments);
    std::wstring folder = Widen(workingFolder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Start([&] {
        return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &startup, &info_);
    });
}

void KorvalProcess::Start(const std::function<BOOL()>& create) {
    WaitUntil(kWindowDeadline, [&] {
        if (create()) return true;
        info_ = PROCESS_INFORMATION{};
        startError_ = GetLastError();
        ++refusedStarts_;
        return false;
    });
    if (refusedStarts_ > 0) std::printf("note: Wine refused to start the program %s\n", StartReport().c_str());
}

std::string KorvalProcess::StartReport() const {
    return std::to_string(refusedStarts_) + " times within " + std::to_string(kWindowDeadline) +
           " ms, the last time with error " + std::to_string(startError_) + (started() ? "; it started then" : "");
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
    DWORD code = 0;
    if (info_.hProcess == nullptr || WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return {};
    return GetExitCodeProcess(info_.hProcess, &code), code;
}

int EndProcessesNamed(const char* exeName) {
    int found = 0;
    ForEachProcess([&](DWORD id, const char* exeFile) {
        if (lstrcmpiA(PathFindFileNameA(exeFile), exeName) != 0) return;
        ++found;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    });
    return found;
}

std::optional<DWORD> KorvalProcess::ExpectEnd(DWORD milliseconds) {
    std::optional<DWORD> code = Wait(milliseconds);
    if (!code) ADD_FAILURE() << EndFailure(milliseconds, "");
    return code;
}

std::string KorvalProcess::EndFailure(DWORD milliseconds, const std::string& last) const {
    return (started() ? "Korval did not end within " + std::to_string(milliseconds) + " ms" + Utf8(last)
                      : "Wine refused to start Korval " + StartReport()) + "\n" + ScreenReport();
}

std::optional<DWORD> KorvalProcess::AnswerToEnd(const std::function<int(const FoundWindow&)>& answer,
                                                const std::function<void(HWND menu)>& pick, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    auto left = [&] { return milliseconds - std::min(milliseconds, GetTickCount() - start); };
    std::string last = "; nothing answered yet";
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
            last = "; last pressed button " + std::to_string(button) + " of \"" + dialog->title + "\"";
            if (!WaitUntil(left(), [&] { return !IsWindow(dialog->window); })) break;
        } else {
            if (!pick) ADD_FAILURE() << "Korval opened a popup menu that the test does not pick from\n" << ScreenReport();
            pick ? pick(menu) : TapKey(VK_ESCAPE);
            last = "; last picked from a popup menu";
            if (!WaitForPopupMenuToClose(menu, left())) break;
        }
        dialog.reset();
        menu = nullptr;
    }
    ADD_FAILURE() << EndFailure(milliseconds, last);
    return std::nullopt;
}

void SetClipboardText(const std::string& bytes) { PutOnClipboard({{CF_TEXT, bytes + '\0'}}); }
void ClearClipboard() { PutOnClipboard({}); }
void SetClipboardWideFiles(const std::vector<std::wstring>& paths) { PutOnClipboard({{CF_HDROP, DropBytes(paths)}}); }

void SetClipboardFiles(const std::vector<std::string>& paths, bool alsoText, const std::string& text) {
    std::vector<std::pair<UINT, std::string>> formats = {{CF_HDROP, DropBytes(paths)}};
    if (alsoText) formats.push_back({CF_TEXT, text + '\0'});
    PutOnClipboard(formats);
}

void SetClipboardWideText(const std::wstring& text) {
    PutOnClipboard({{CF_UNICODETEXT, Bytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t))}});
}

HGLOBAL DropBlock(const std::vector<std::string>& paths) { return GlobalCopy(DropBytes(paths), GPTR); }
HGLOBAL DropBlock(const std::vector<std::wstring>& paths) { return GlobalCopy(DropBytes(paths), GPTR); }
std::optional<std::string> ClipboardText() { return ClipboardTextOf<char>(CF_TEXT); }
std::optional<std::wstring> ClipboardWideText() { return ClipboardTextOf<wchar_t>(CF_UNICODETEXT); }

std::string WindowText(HWND window) {
    char text[4096] = "";
    int length = window ? GetWindowTextA(window, text, sizeof text) : 0;
    // Wine fills the buffer with whatever its heap held when the window is gone, so a text is
    // taken only from a window that still exists once it has been read.
    if (length <= 0 || !IsWindow(window)) return "";
    return std::string(text, strnlen(text, std::min<size_t>(length, sizeof text)));
}

std::vector<COLORREF> ScreenPixels(const RECT& place) {
    const int width = std::max(0L, place.right - place.left), height = std::max(0L, place.bottom - place.top);
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    if (!pixels.empty()) GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    // The bitmap holds blue in the low byte, a COLORREF red.
    for (COLORREF& pixel : pixels) pixel = RGB(GetBValue(pixel), GetGValue(pixel), GetRValue(pixel));
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::optional<FoundWindow> WaitForDialog(DWORD processId, DWORD milliseconds) {
    std::optional<FoundWindow> dialog;
    WaitUntil(milliseconds, [&] { return (dialog = FindDialog(processId)).has_value(); });
    return dialog;
}

HWND WaitForProgressWindow(KorvalProcess& process) {
    HWND found = nullptr;
    WaitUntil(kWindowDeadline, [&] {
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr;) {
            if (ProcessOf(window) == process.id() && IsWindowVisible(window) && GetDlgItem(window, kProgressBarId)) found = window;
        }
        return found != nullptr || process.Wait(0).has_value();
    });
    return found;
}

int ProgressCount(HWND window) {
    const std::string head = "検索", note = WindowText(GetDlgItem(window, kRightNoteId));
    return note.size() > head.size() && note.rfind(head, 0) == 0 ? std::atoi(note.c_str() + head.size()) : -1;
}

HWND WaitForPopupMenu(DWORD milliseconds) {
    HWND menu = nullptr;
    WaitUntil(milliseconds, [&] { return (menu = TrackedMenu(0)) != nullptr; });
    return menu;
}

bool WaitForPopupMenuToClose(HWND menu, DWORD milliseconds) {
    return WaitUntil(milliseconds, [menu] { return !Tracked(menu); });
}

HeldKey::HeldKey(WORD key) : key_(key) {
    // The display's names of the modifiers; other keys only Wine needs to see.
    const char* name = key == VK_SHIFT ? "Shift_L" : key == VK_CONTROL ? "Control_L" : key == VK_MENU ? "Alt_L" : nullptr;
    const std::string holder = LinuxPath(BinFolder() + "hold_key.py");
    if (name != nullptr && !holder.empty()) {  // under Wine
        signals_.emplace();
        const std::string held = *signals_ / "held";
        std::string commandLine = "Z:\\usr\\bin\\python3 \"" + holder + "\" " + name + " \"" + LinuxPath(held) +
                                  "\" \"" + LinuxPath(*signals_ / "release") + "\"";
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

bool WaitForFirstItemHighlighted(HWND menu, DWORD milliseconds) {
    RECT place = {};
    GetWindowRect(menu, &place);
    HDC screen = GetDC(nullptr);
    bool shown = WaitUntil(milliseconds, [&] {
        return GetPixel(screen, place.left + kFirstItemInset, place.top + kFirstItemInset) == GetSysColor(COLOR_HIGHLIGHT);
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

}  // namespace korval_test
