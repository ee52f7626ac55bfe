// Esc during a long run of Korval.exe: the run ends at once, with nothing delivered, started or shown.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/progress.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

// Long enough that a run which goes on to its end takes many times the deadline below: a content
// search of one folder of 400 files, given 800 times, opens and reads 320,000 files.
constexpr int kFolderFiles = 400;
constexpr int kTimesGiven = 800;
// An Esc press ends the run within milliseconds; the rest of this is the process's own end, which a
// loaded machine may stretch.
constexpr DWORD kStopDeadline = 5000;

// Big files, read and searched for longer than a tap of Esc lasts, given often enough that a run
// which goes on to its end takes many times the deadline above.
constexpr size_t kBigFileBytes = 128u << 20;
constexpr int kBigFileTimes = 400;

// The expression's program: it idles until it is ended, so a start is still there when Korval has
// ended.
constexpr char kProgramName[] = "stop-program.exe";

// A long run from a small tree. A run that goes on to its end starts the expression's program.
struct LongRun {
    explicit LongRun(const std::string& system) : install("") {
        std::vector<std::string> names = {"big\\hit.txt"};
        for (int file = 0; file < kFolderFiles; ++file) names.push_back("big\\f" + std::to_string(file) + ".txt");
        MakeTree(tree.path(), names);
        install.CopyRegexpLibrary();
        std::string program = install.folder() + "\\" + kProgramName;
        CopyFileA((BinFolder() + "keepalive.exe").c_str(), program.c_str(), FALSE);
        WriteBytes(install.settingsPath(), "[system]\r\n@sub\r\n" + system + "%end\r\n[filter]\r\nAll\r\n>.*\r\n%end\r\n"
                                           "[regexp]\r\nHit | Rec\r\n>*m/hit/\r\n%end\r\n[exec]\r\n" + program +
                                           " | Rec\r\n>-x\r\n%end\r\n");
        for (int i = 0; i < kTimesGiven; ++i) targets += " \"" + tree / "big" + "\"";
        SetClipboardText("untouched");
    }

    // Holds Esc down: the process must end long before the run could, having delivered nothing.
    void ExpectStoppedByEsc(KorvalProcess& process, const char* name) const {
        KeyDown(VK_ESCAPE);
        DWORD pressed = GetTickCount();
        std::optional<DWORD> code = process.Wait(kStopDeadline);
        DWORD took = GetTickCount() - pressed;
        KeyUp(VK_ESCAPE);
        EXPECT_EQ(code.value_or(99), 0u) << name << ": still running " << kStopDeadline << " ms after Esc\n"
                                         << (code ? "" : ScreenReport());
        std::printf("%s: the process ended %lu ms after Esc\n", name, static_cast<unsigned long>(took));
        EXPECT_EQ(ClipboardText().value_or(""), "untouched") << name;
        EXPECT_EQ(EndProcessesNamed(kProgramName), 0) << name << ": the program started";
    }

    TempDir tree;
    KorvalInstall install;
    std::string targets;
};

// Waits until the progress window's count has been repainted `changes` times; false when the window
// went or the deadline passed first.
bool WaitForRepaints(HWND window, int changes) {
    int last = ProgressCount(window);
    return WaitUntil(kWindowDeadline, [&] {
        int now = ProgressCount(window);
        changes -= now != last;
        last = now;
        return changes <= 0 || !IsWindow(window);
    }) && changes <= 0;
}

// A window of the test's own, standing for another program's window, at `left`.
HWND OtherProgramWindow(int left) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "other program";
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOPMOST, "other program", "", WS_POPUP | WS_VISIBLE, left, 40, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
}

// Brings `window` to the front as a user does: with a click on it.
void ClickToFront(HWND window) {
    Click(window, VK_LBUTTON);
    EXPECT_TRUE(PumpMessagesUntil(kWindowDeadline, [&] { return GetForegroundWindow() == window; }))
        << "the click did not bring the test's window to the front\n" << ScreenReport();
    ParkPointer();
}

// Presses Esc for 50 ms, as a quick tap does.
void TapEsc() {
    KeyDown(VK_ESCAPE);
    Sleep(50);
    KeyUp(VK_ESCAPE);
}

}  // namespace

// Esc is meant for Korval only while the window that was in front when it started, or one of its
// own, is in front: a tap in another program's window lets the run go on, a tap in the starting
// window stops it. A tap of 50 ms counts although the run spends nearly all its time reading and
// searching big files, one at a time.
TEST(StopKey, OnlyEscInKorvalsOrTheStartingWindowStopsTheRun) {
    LongRun run("@bar\r\n");
    TempDir big;
    WriteBytes(big / "big.txt", std::string(kBigFileBytes, 'x'));
    std::string targets;
    for (int i = 0; i < kBigFileTimes; ++i) targets += " \"" + big / "big.txt" + "\"";
    HWND starting = OtherProgramWindow(40), other = OtherProgramWindow(300);
    ClickToFront(starting);
    KorvalProcess process(run.install.exe(), "/#r=\"Hit\"" + targets, run.install.folder());
    HWND window = WaitForProgressWindow(process);
    ASSERT_TRUE(window != nullptr && WaitForRepaints(window, 1)) << "the run did not start\n" << ScreenReport();
    ClickToFront(other);
    TapEsc();
    // Wine answers a key's state from what it read last for 50 ms after each reading; past that,
    // the next file shows that the run has read the key since the tap.
    Sleep(100);
    EXPECT_TRUE(WaitForRepaints(window, 2)) << "an Esc in another program's window stopped the run\n"
                                            << ScreenReport();
    ClickToFront(starting);
    TapEsc();
    std::optional<DWORD> code = process.Wait(kStopDeadline);
    EXPECT_EQ(code.value_or(99), 0u) << "still running " << kStopDeadline << " ms after Esc\n"
                                     << (code ? "" : ScreenReport());
    EXPECT_EQ(ClipboardText().value_or(""), "untouched");
    EXPECT_EQ(EndProcessesNamed(kProgramName), 0) << "the program started";
    DestroyWindow(other);
    DestroyWindow(starting);
}

// A pick from the menu starts the run; Esc held after the menu has gone ends it.
TEST(StopKey, EscEndsARunStartedFromTheMenu) {
    LongRun run("");
    KorvalProcess process(run.install.exe(), run.targets, run.install.folder());
    HWND menu = WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "the menu did not open\n" << ScreenReport();
    TapKey('A');
    ASSERT_TRUE(WaitForPopupMenuToClose(menu)) << "the pick did not close the menu\n" << ScreenReport();
    run.ExpectStoppedByEsc(process, "a pick without @bar");
}

// Esc held since before the start does not stop the run, which goes on counting; once it has been
// let go, the next press stops the run.
TEST(StopKey, APressHeldSinceTheStartDoesNotCountButTheNextOneDoes) {
    LongRun run("@bar\r\n");
    KeyDown(VK_ESCAPE);
    KorvalProcess process(run.install.exe(), "/#r=\"Hit\"" + run.targets, run.install.folder());
    HWND window = WaitForProgressWindow(process);
    bool counting = window != nullptr && WaitForRepaints(window, 3);
    std::string seen = counting ? "" : ScreenReport();
    KeyUp(VK_ESCAPE);
    ASSERT_TRUE(counting) << "the run did not go on while Esc was held from the start\n" << seen;
    // Two repaints after the release show that the run has looked at the key since.
    ASSERT_TRUE(WaitForRepaints(window, 2)) << "the run ended before Esc was pressed again\n" << ScreenReport();
    run.ExpectStoppedByEsc(process, "a new press with @bar");
}
