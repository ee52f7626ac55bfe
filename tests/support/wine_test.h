// Test support: temporary trees, a Korval installation per test and one run of it as a user sees
// it, the real clipboard, and the windows Korval opens (message boxes, the option dialog, the popup
// menu), read and pressed from the test.
//
// Every wait polls for a state and has a deadline; a wait that a test relies on records a failure
// when the deadline passes, and the failure carries ScreenReport(): what was on screen then.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "common/tables.h"
#include "common/text.h"
#include "ui/menu_parts.h"
#include "ui/progress_parts.h"
#include "ui/ui.h"

namespace korval_test {

// Deadlines, generous because CI shares two cores with other work: a passing test never waits
// them out, a failing one reports what it saw when they pass.
constexpr DWORD kEndDeadline = 60000;        // for a Korval run, or a program it started, to end
constexpr DWORD kWindowDeadline = 30000;     // for a window to appear complete, or to go
constexpr DWORD kClipboardDeadline = 10000;  // for another program to close the clipboard
constexpr DWORD kPollMilliseconds = 20;
constexpr DWORD kWineKeyStateCacheMilliseconds = 50;  // how long Wine trusts a thread's copy of the key state
static_assert(kPollMilliseconds * 10 <= kClipboardDeadline && kClipboardDeadline <= kWindowDeadline &&
                  kWindowDeadline <= kEndDeadline,
              "every deadline leaves room for many polls, and a run outlasts the windows it shows");

// Conversions: the system code page and UTF-16 both ways, and either to UTF-8 for messages.
std::wstring Widen(const std::string& ansi);
std::string Ansi(const std::wstring& wide);
std::string Narrow(const std::wstring& wide);
std::string Utf8(const std::string& ansi);
inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
inline std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
// The process that owns a window; 0 once the window is gone.
inline DWORD ProcessOf(HWND window) { DWORD process = 0; return GetWindowThreadProcessId(window, &process), process; }
// Lines joined by CR LF, and a text split at CR LF.
std::string Lines(const std::vector<std::string>& lines);
template <typename Char>
std::vector<std::basic_string<Char>> SplitLines(const std::basic_string<Char>& text) {
    const Char lineEnd[] = {Char('\r'), Char('\n'), Char(0)};
    std::vector<std::basic_string<Char>> lines;
    for (size_t start = 0, end = 0; start <= text.size(); start = end + 2) {
        end = std::min(text.find(lineEnd, start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The folder that holds the test programs, Korval.exe, BREGEXP.DLL and the helpers (ends with \).
std::string BinFolder();

// A fresh folder under the run's root (KORVAL_TEST_ROOT, which tools/wine-run makes for each test
// program and removes on the Linux side once the program has ended; the temporary folder when it
// is unset). Nothing is removed from the Windows side: under Wine the shell's delete loses its way
// in trees whose paths pass MAX_PATH.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }  // no trailing backslash
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
void MakeFolder(const std::string& path);  // creates missing parents too
// Creates files (names ending without a backslash) and folders (names ending with one) below root.
void MakeTree(const std::string& root, const std::vector<std::string>& relativePaths);
// Creates a folder below `base` whose path is exactly `length` bytes long and returns that path.
std::string MakeDeepFolder(const std::string& base, size_t length);

// Polls `done` every kPollMilliseconds until it holds; false when `milliseconds` passed first.
bool WaitUntil(DWORD milliseconds, const std::function<bool()>& done);

// What is on screen now, for a failure message: the visible top-level windows (class, title,
// process) and who holds the clipboard open. Under tools/wine-run a screenshot is taken meanwhile
// and named here.
std::string ScreenReport();

// A copy of Korval.exe in a folder of its own, with its settings file beside it.
class KorvalInstall {
public:
    // `exeName` lets a test copy the program under another name.
    explicit KorvalInstall(const std::string& settings, const std::string& exeName = "Korval.exe");
    const std::string& folder() const { return dir_.path(); }   // no trailing backslash
    std::string exe() const { return dir_ / exeName_; }
    std::string settingsPath() const;
    void CopyRegexpLibrary() const;                 // BREGEXP.DLL beside the program
    std::string InstallRecorder(const std::string& name = "recorder.exe") const;  // returns its path
    // What the recorder wrote to record.txt beside it. The recorder writes the whole record at
    // once; a record that does not come within kEndDeadline is a test failure.
    std::optional<std::string> RecordedCommandLine() const;
    // The recorder's wide command line, from record-wide.txt beside it, written before record.txt.
    std::optional<std::wstring> RecordedWideCommandLine() const;
    // Whether a recorder of this folder has written its record, once every program started from
    // this folder has ended: asked after Korval has ended (or while it waits on a message box),
    // the answer is final.
    bool RecorderStarted() const;

    // Runs Korval with `arguments` to its end, in the folder above its own (so that a program
    // started in its own folder shows as such), and says what a user saw, one line
    // each: every message box "box TITLE: TEXT" (" [yes/no]" when it asks) and "dialog" for the
    // option dialog, each answered with the button `answer`; "menu" for each popup menu, closed by
    // `pick` or else with Esc; then "exit N", "clipboard: TEXT", and "started: ARGUMENTS" when the
    // recorder of this folder ran (" in FOLDER" when not started in its own folder). The record of
    // an earlier run is removed first; the clipboard is the caller's to fill.
    std::string Run(const std::string& arguments, int answer = IDOK,
                    const std::function<void(HWND menu)>& pick = nullptr) const;
    std::string Run(const std::wstring& arguments, int answer = IDOK,
                    const std::function<void(HWND menu)>& pick = nullptr) const;
    // The end of a run as Run says it: "exit N" (from
    // `exitCode`, "no end" without one), "clipboard: TEXT" and "started: ...".
    std::string EndOfRun(std::optional<DWORD> exitCode) const;

private:
    std::optional<std::string> RecordedLine(int index) const;
    TempDir dir_;
    std::string exeName_;
};

// A message box or the option dialog of a process.
struct FoundWindow {
    HWND window = nullptr;
    std::string title;
    std::string text;           // a message box's message (its static control); empty for the option dialog
    bool optionDialog = false;  // Korval's option dialog rather than a message box
};

// A started Korval process, ended by force when it outlives the test.
class KorvalProcess {
public:
    // Starts `exe` with `arguments` (the text after the program name) in `workingFolder`.
    KorvalProcess(const std::string& exe, const std::string& arguments, const std::string& workingFolder = "");
    // The same with a wide command line, as the shell starts a program it sends files to.
    KorvalProcess(const std::string& exe, const std::wstring& arguments, const std::string& workingFolder = "");
    ~KorvalProcess();
    KorvalProcess(const KorvalProcess&) = delete;
    KorvalProcess& operator=(const KorvalProcess&) = delete;
    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    // Waits for the end; returns the exit code, or nullopt after `milliseconds` (process left running).
    std::optional<DWORD> Wait(DWORD milliseconds = 20000);
    // Waits for the end and returns the exit code. When the deadline passes first, records a test
    // failure that says what was on screen, and returns nullopt (the process is left running).
    std::optional<DWORD> ExpectEnd(DWORD milliseconds = kEndDeadline);
    // Lets the run go on to its end, answering whatever it waits on: `answer` gets each message
    // box or option dialog once all of its controls exist and returns the button to press; `pick`
    // gets each popup menu of the process once it takes keys. The next one is looked for once the
    // last has gone. A menu without `pick`, or a deadline passed, is a test failure that says what
    // was on screen. Returns the exit code, or nullopt after a failure.
    std::optional<DWORD> AnswerToEnd(const std::function<int(const FoundWindow&)>& answer,
                                     const std::function<void(HWND menu)>& pick = nullptr,
                                     DWORD milliseconds = kEndDeadline);

private:
    // Under load, Wine now and then refuses to create a process (seen once in some hundred
    // starts), so a refused start is tried again until kWindowDeadline; the refusals are said.
    void Start(const std::function<BOOL()>& create);
    std::string StartReport() const;  // how often Wine refused to start it
    // A run that did not end (or start) within `milliseconds`, `last` saying what was done last.
    std::string EndFailure(DWORD milliseconds, const std::string& last) const;
    PROCESS_INFORMATION info_{};
    DWORD startError_ = 0;
    int refusedStarts_ = 0;
};

// Ends every running process started from a file named `exeName`; returns how many there were.
int EndProcessesNamed(const char* exeName);

// The real clipboard. A clipboard that another program keeps open past kClipboardDeadline is a
// test failure that names the program and says what was on screen.
void SetClipboardText(const std::string& bytes);
void SetClipboardFiles(const std::vector<std::string>& paths, bool alsoText = false, const std::string& text = "");
void ClearClipboard();
// The clipboard's text (nullopt when it holds none), read as soon as no other program holds the
// clipboard open, waiting up to kClipboardDeadline for that. Read it as soon as the program that put
// it there has ended: Wine drops the text a few seconds after the last Wine program has ended.
std::optional<std::string> ClipboardText();
// Wide forms: a file list of wide names (CF_HDROP), text as CF_UNICODETEXT alone, and the
// clipboard's CF_UNICODETEXT.
void SetClipboardWideFiles(const std::vector<std::wstring>& paths);
void SetClipboardWideText(const std::wstring& text);
std::optional<std::wstring> ClipboardWideText();
// A shell drop of `paths` in fixed memory (DROPFILES, the names, an empty name), as CF_HDROP and
// WM_DROPFILES carry it; the caller owns the block.
HGLOBAL DropBlock(const std::vector<std::string>& paths);
HGLOBAL DropBlock(const std::vector<std::wstring>& paths);

// Waits up to `milliseconds` for a message box or the option dialog of process `processId`,
// visible and complete: the option dialog once all four of its controls exist, a message box
// (a captioned dialog) once its message is shown.
std::optional<FoundWindow> WaitForDialog(DWORD processId, DWORD milliseconds = kWindowDeadline);
// Waits for the visible progress window of `process`; null when the process ended or
// kWindowDeadline passed first.
HWND WaitForProgressWindow(KorvalProcess& process);
// The count in the progress window's note "検索N件", or -1 when the note does not have that form.
int ProgressCount(HWND window);
// Presses the button with the given identifier (IDOK, IDYES, IDNO, ...) of a dialog.
inline void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Waits for a popup menu (class #32768) that takes keys and clicks: shown, captured by its
// thread's menu loop, and that thread in the foreground. Null when `milliseconds` passed first.
HWND WaitForPopupMenu(DWORD milliseconds = kWindowDeadline);
// Waits until `menu` is no longer tracked; false when `milliseconds` passed first.
bool WaitForPopupMenuToClose(HWND menu, DWORD milliseconds = kWindowDeadline);
// A window's text; empty for a window that is gone (Wine reads garbage for those).
std::string WindowText(HWND window);
// The colours of the screen's pixels inside `place`, row by row, as COLORREF values.
std::vector<COLORREF> ScreenPixels(const RECT& place);

// Synthesized input, which reaches Wine but not the display: hold Shift, Ctrl and Alt with HeldKey.
inline void KeyDown(WORD key) { keybd_event(static_cast<BYTE>(key), 0, 0, 0); }
inline void KeyUp(WORD key) { keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0); }
inline void TapKey(WORD key) { KeyDown(key), KeyUp(key); }

// Holds a key down for its lifetime; Shift, Ctrl and Alt on the display as well. Wine takes their
// state from the display whenever a window of a program opens or the pointer enters one, and
// would release there a key held in Wine alone.
class HeldKey {
public:
    explicit HeldKey(WORD key);
    ~HeldKey();
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

    // Reads the global key state; true once any reading showed the key up while it was held: what
    // a program under test read meanwhile is then no proof of anything. A key that Wine lets go
    // stays up until the display reports it again, so the waits that ask this catch it.
    bool Lost();

private:
    WORD key_;
    std::optional<TempDir> signals_;  // the files through which hold_key.py reports and is told to let go
    bool lost_ = false;
};

// Moves the pointer to the screen's bottom-right corner, where no window of the tests opens: a
// window that opens under the pointer would take its hover for a pick, and the display hands the
// keys it holds to the window under the pointer.
inline void ParkPointer() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1); }
// Waits until `menu` shows its first item highlighted on screen, as Korval highlights it once the
// menu takes keys; false when `milliseconds` passed first.
bool WaitForFirstItemHighlighted(HWND menu, DWORD milliseconds = kWindowDeadline);
// Clicks `button` (VK_LBUTTON or VK_RBUTTON) on the middle of `window`. The click carries its own
// place: Wine's pointer may be taken back meanwhile to where the display's is, which stays put
// while a menu has it grabbed.
void Click(HWND window, WORD button);

}  // namespace korval_test

// Every test program names the support unqualified.
using namespace korval_test;
