// Test support: temporary trees, a Korval installation per test, the real clipboard, and the
// windows Korval opens (message boxes, the popup menu), read and pressed from the test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace korval_test {

// The folder that holds the test programs, Korval.exe, BREGEXP.DLL and the helpers (ends with \).
std::string BinFolder();

// A fresh folder under the temporary folder, removed with everything in it at the end of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
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
    // What the recorder wrote to record.txt beside it: waits up to 10 s for the file.
    std::optional<std::string> RecordedCommandLine() const;
    std::optional<std::string> RecordedFolder() const;
    // The recorder's wide command line, from record-wide.txt beside it: waits up to 10 s for the file.
    std::optional<std::wstring> RecordedWideCommandLine() const;

private:
    std::optional<std::string> RecordedLine(int index) const;
    TempDir dir_;
    std::string exeName_;
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

private:
    PROCESS_INFORMATION info_{};
};

// Ends every running process started from a file named `exeName`; returns how many there were.
int EndProcessesNamed(const char* exeName);

// Runs Korval to its end and returns the exit code (nullopt when it had to be killed).
std::optional<DWORD> RunKorval(const KorvalInstall& install, const std::string& arguments,
                               DWORD milliseconds = 20000);

// The real clipboard.
void SetClipboardText(const std::string& bytes);
void SetClipboardFiles(const std::vector<std::string>& paths, bool alsoText = false, const std::string& text = "");
void ClearClipboard();
std::optional<std::string> ClipboardText();
// Wide forms: a file list of wide names (CF_HDROP), text as CF_UNICODETEXT alone, and the
// clipboard's CF_UNICODETEXT.
void SetClipboardWideFiles(const std::vector<std::wstring>& paths);
void SetClipboardWideText(const std::wstring& text);
std::optional<std::wstring> ClipboardWideText();

// Top-level windows of a process.
struct FoundWindow {
    HWND window = nullptr;
    std::string title;
    std::string text;  // a message box's message (its static control)
};
// Waits up to `milliseconds` for a visible dialog (#32770) of process `processId`.
std::optional<FoundWindow> WaitForDialog(DWORD processId, DWORD milliseconds = 15000);
// Presses the button with the given identifier (IDOK, IDYES, IDNO, ...) of a dialog.
void PressButton(HWND dialog, int id);
// Waits for the popup menu (class #32768) to be visible.
HWND WaitForPopupMenu(DWORD milliseconds = 15000);
std::string WindowText(HWND window);

// Synthesized input.
void TapKey(WORD key);
void KeyDown(WORD key);
void KeyUp(WORD key);

// Pumps the messages of the calling thread for `milliseconds`.
void PumpMessages(DWORD milliseconds);

}  // namespace korval_test
