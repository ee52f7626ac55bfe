// Long filter runs of Korval.exe, watched from outside while Korval pumps no messages: the progress
// window's growing count reaching the screen, messages from other processes that must
// leave the run alone, and Esc, which ends a run at once with nothing delivered, started or shown.
#include "support/wine_test.h"

namespace {

// Waits until the progress window's count has been repainted `changes` times; false when the window
// went or the deadline passed first.
bool WaitForRepaints(HWND window, int changes) {
    int last = ProgressCount(window);
    return WaitUntil(kWindowDeadline, [&] {
        const int now = ProgressCount(window);
        changes -= now != last;
        last = now;
        return changes <= 0 || !IsWindow(window);
    }) && changes <= 0;
}

}  // namespace

// A second start of the run (WM_TIMER 610) and a close request (WM_CLOSE), both sent to the main
// window mid-run, must neither restart nor cut it: the whole result reaches the clipboard once, and
// the process ends with 0. Each folder is given many times in a row, so the hits of the last
// folders are found only near the end of the run. Meanwhile the count, past 10000 files, goes on
// growing and reaches the screen.
TEST(ProgressWindow, ShowsTheRunOnScreenAndMessagesSentMeanwhileNeitherRestartNorEndIt) {
    TempDir tree;
    std::vector<std::string> names, hits;
    std::string arguments = "/#f=\"Text\" /#e1";
    for (int folder = 0; folder < 10; ++folder) {
        const std::string name = "d" + std::to_string(folder);
        names.push_back(name + "\\hit.txt");
        hits.push_back(tree / names.back());
        for (int i = 0; i < 300; ++i) names.push_back(name + "\\f" + std::to_string(i) + ".dat");
        for (int i = 0; i < 60; ++i) arguments += " " + Quoted(tree / name);
    }
    MakeTree(tree.path(), names);
    KorvalInstall install("[system]\r\n@sub\r\n@bar\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    ClearClipboard();
    HWND listener = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(AddClipboardFormatListener(listener));
    KorvalProcess process(install.exe(), arguments, install.folder());
    HWND window = WaitForProgressWindow(process), main = FindWindowA("Korval", "Korval");
    ASSERT_TRUE(window && main) << "no progress window, or no main window of class and title Korval\n" << ScreenReport();
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(main, WM_TIMER, 610, 0, SMTO_NORMAL, kEndDeadline, &answer), 0) << "WM_TIMER not taken";
    EXPECT_NE(SendMessageTimeoutA(main, WM_CLOSE, 0, 0, SMTO_NORMAL, kEndDeadline, &answer), 0) << "WM_CLOSE not taken";
    int first = -1, second = -1;
    ASSERT_TRUE(WaitUntil(kEndDeadline, [&] { return (first = ProgressCount(window)) > 10000 || !IsWindow(window); }) &&
                first > 10000) << "the count stopped at " << first << "\n" << ScreenReport();
    RECT note = {};
    GetWindowRect(GetDlgItem(window, kRightNoteId), &note);
    const std::vector<COLORREF> before = ScreenPixels(note);
    bool changed = false;
    // Watched until the count has grown and its new value has reached the screen, or the run ends.
    WaitUntil(kEndDeadline, [&] {
        second = ProgressCount(window), changed = ScreenPixels(note) != before;
        return !IsWindow(window) || (second > first && changed);
    });
    ASSERT_TRUE(IsWindow(window)) << "the run ended too early to be watched";
    EXPECT_EQ(WindowText(GetDlgItem(window, kTitleLineId)), "フィルタ実行中");
    EXPECT_TRUE(second > first && changed) << "the count went on to " << second << " after " << first
                                           << (changed ? "" : "; the new count did not reach the screen");
    EXPECT_EQ(process.ExpectEnd(kEndDeadline * 2).value_or(99), 0u);
    EXPECT_FALSE(IsWindow(window)) << "the window goes with the run";
    int deliveries = 0;
    for (MSG message; PeekMessageA(&message, listener, WM_CLIPBOARDUPDATE, WM_CLIPBOARDUPDATE, PM_REMOVE);) ++deliveries;
    EXPECT_EQ(deliveries, 1) << "times the clipboard was written";
    EXPECT_EQ(ClipboardText().value_or(""), Lines(hits));
}

namespace {

// An Esc press ends the run within milliseconds; the rest of this is the process's own end, which a
// loaded machine may stretch.
constexpr DWORD kStopDeadline = 5000;
constexpr char kProgramName[] = "stop-program.exe";

// A window of the test's own, standing for another program's window, at `left`, brought to the
// front as a user does: with a click on it.
HWND OtherProgramWindow(int left) {
    return CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_NOTIFY, left, 40, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
}
void ClickToFront(HWND window) {
    Click(window, VK_LBUTTON);
    EXPECT_TRUE(WaitUntil(kWindowDeadline, [&] {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
        return GetForegroundWindow() == window;
    })) << "the click did not bring the test's window to the front\n" << ScreenReport();
    ParkPointer();
}

}  // namespace

// Esc held during a long run ends it at once, with nothing delivered, started or shown: a run
// started by a pick from the menu, and, with @bar, a run during which Esc was held since before
// the start: that press does not count, and the run goes on counting, but once Esc has been let
// go, the next press does. Esc is meant for Korval only while the window that was in front when
// it started, or one of its own, is in front: a tap in another program's window lets the run go
// on, a tap in the starting window stops it. A tap (down and up at once) counts although the run
// spends nearly all its time reading and searching big files, one at a time, each for longer than
// a tap.
TEST(StopKey, EscEndsALongRunUnlessHeldSinceTheStartOrPressedInAnotherProgram) {
    // A content search of one folder of 400 files, given 800 times, opens and reads 320,000 files,
    // and so does one of a big file given 400 times: a run that goes on to its end takes many times
    // the deadline above, and then starts the expression's program, which idles until it is ended,
    // so that a start is still there when Korval has ended.
    TempDir tree;
    std::vector<std::string> names = {"big\\hit.txt"};
    for (int file = 0; file < 400; ++file) names.push_back("big\\f" + std::to_string(file) + ".txt");
    MakeTree(tree.path(), names);
    WriteBytes(tree / "big.txt", std::string(128u << 20, 'x'));
    std::string small, big;
    for (int i = 0; i < 800; ++i) small += " " + Quoted(tree / "big");
    for (int i = 0; i < 400; ++i) big += " " + Quoted(tree / "big.txt");
    KorvalInstall install("");
    install.CopyRegexpLibrary();
    const std::string program = install.folder() + "\\" + kProgramName;
    CopyFileA((BinFolder() + "keepalive.exe").c_str(), program.c_str(), FALSE);
    std::optional<KorvalProcess> process;
    auto start = [&](bool bar, const std::string& arguments) {
        WriteBytes(install.settingsPath(), "[system]\r\n@sub\r\n" + std::string(bar ? "@bar\r\n" : "") +
                                           "%end\r\n[filter]\r\nAll\r\n>.*\r\n%end\r\n[regexp]\r\nHit | Rec\r\n>*m/hit/\r\n"
                                           "%end\r\n[exec]\r\n" + program + " | Rec\r\n>-x\r\n%end\r\n");
        SetClipboardText("untouched");
        process.emplace(install.exe(), arguments, install.folder());
    };
    // A run that Esc stopped ends with 0 long before it could have ended by itself, having
    // delivered and started nothing.
    auto expectStopped = [&](const char* name) {
        std::optional<DWORD> code = process->Wait(kStopDeadline);
        EXPECT_EQ(code.value_or(99), 0u) << name << ": still running after Esc\n" << (code ? "" : ScreenReport());
        EXPECT_EQ(ClipboardText().value_or(""), "untouched") << name;
        EXPECT_EQ(EndProcessesNamed(kProgramName), 0) << name << ": the program started";
    };
    // Esc is held down from the pick until the run has ended.
    start(false, small);
    HWND menu = WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "the menu did not open\n" << ScreenReport();
    TapKey('A');
    ASSERT_TRUE(WaitForPopupMenuToClose(menu)) << "the pick did not close the menu\n" << ScreenReport();
    KeyDown(VK_ESCAPE);
    expectStopped("a pick without @bar");
    KeyUp(VK_ESCAPE);

    KeyDown(VK_ESCAPE);
    start(true, "/#r=\"Hit\"" + small);
    HWND window = WaitForProgressWindow(*process);
    const bool counting = window != nullptr && WaitForRepaints(window, 3);
    const std::string seen = counting ? "" : ScreenReport();
    KeyUp(VK_ESCAPE);
    ASSERT_TRUE(counting) << "the run did not go on while Esc was held from the start\n" << seen;
    // Two repaints after the release show that the run has looked at the key since.
    ASSERT_TRUE(WaitForRepaints(window, 2)) << "the run ended before Esc was pressed again\n" << ScreenReport();
    KeyDown(VK_ESCAPE);
    expectStopped("a new press with @bar");
    KeyUp(VK_ESCAPE);

    HWND starting = OtherProgramWindow(40), other = OtherProgramWindow(300);
    ClickToFront(starting);
    start(true, "/#r=\"Hit\"" + big);
    window = WaitForProgressWindow(*process);
    ASSERT_TRUE(window != nullptr && WaitForRepaints(window, 1)) << "the run did not start\n" << ScreenReport();
    ClickToFront(other);
    TapKey(VK_ESCAPE);
    // Wine answers a key's state from what it read last for 50 ms after each reading, and no state
    // shows when that has passed: wait past it, and the next file shows that the run has read the
    // key since the tap.
    Sleep(2 * kWineKeyStateCacheMilliseconds);
    EXPECT_TRUE(WaitForRepaints(window, 2)) << "an Esc in another program's window stopped the run\n" << ScreenReport();
    ClickToFront(starting);
    TapKey(VK_ESCAPE);
    expectStopped("a tap in the starting window");
    DestroyWindow(other);
    DestroyWindow(starting);
}
