// The progress window of a long filter run, watched from outside while Korval pumps no messages:
// its place, its title, and a growing count and a full bar that actually reach the screen; and
// messages that other processes send meanwhile, which must leave the run alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/progress.h"
#include "support/screenshot.h"
#include "support/wine_test.h"

using namespace korval_test;


TEST(ProgressWindow, ShowsTheGrowingCountAndTheFullBarOnScreenDuringALongRun) {
    TempDir tree;
    std::vector<std::string> names = {"big\\hit.txt"};
    for (int i = 0; i < 400; ++i) names.push_back("big\\f" + std::to_string(i) + ".dat");
    MakeTree(tree.path(), names);
    // One folder given many times is walked that many times: a long run from a small tree.
    std::string arguments = "/#f=\"Text\" /#e1";
    for (int i = 0; i < 500; ++i) arguments += " \"" + tree / "big" + "\"";
    KorvalInstall install("[system]\r\n@sub\r\n@bar\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    KorvalProcess process(install.exe(), arguments, install.folder());
    HWND window = WaitForProgressWindow(process);
    ASSERT_NE(window, nullptr) << "no progress window appeared\n" << ScreenReport();
    RECT place, expected = {GetSystemMetrics(SM_CXSCREEN) / 2 - 75, GetSystemMetrics(SM_CYMAXIMIZED) / 2 - 35, 0, 0};
    expected.right = expected.left + 150;
    expected.bottom = expected.top + 60;
    GetWindowRect(window, &place);
    EXPECT_TRUE(EqualRect(&place, &expected))
        << place.left << "," << place.top << "," << place.right << "," << place.bottom;

    int first = -1;
    ASSERT_TRUE(WaitUntil(kEndDeadline, [&] { return (first = ProgressCount(window)) > 10000 || !IsWindow(window); }) &&
                first > 10000)
        << "the count stopped at " << first << "\n" << ScreenReport();
    Screenshot before = CaptureScreen();
    RECT note, bar;
    GetWindowRect(GetDlgItem(window, 104), &note);
    GetWindowRect(GetDlgItem(window, 300), &bar);
    DWORD fill = GetSysColor(COLOR_HIGHLIGHT);
    DWORD rgb = static_cast<DWORD>(GetRValue(fill) << 16 | GetGValue(fill) << 8 | GetBValue(fill));
    // Watched until the count has grown, its new value has reached the screen and the full bar is
    // shown, or the run ends.
    int second = first, changed = 0, filled = 0;
    Screenshot after;
    WaitUntil(kEndDeadline, [&] {
        second = ProgressCount(window);
        after = CaptureScreen();
        if (!IsWindow(window)) return true;
        changed = filled = 0;
        for (int y = note.top; y < note.bottom; ++y) {
            for (int x = note.left; x < note.right; ++x) changed += before.At(x, y) != after.At(x, y);
        }
        for (int x = bar.left; x < bar.right; ++x) filled += after.At(x, (bar.top + bar.bottom) / 2) == rgb;
        return second > first && changed > 0 && filled >= (bar.right - bar.left) * 9 / 10;
    });
    ASSERT_TRUE(IsWindow(window)) << "the run ended too early to be watched";
    EXPECT_EQ(WindowText(GetDlgItem(window, 102)), "フィルタ実行中");
    EXPECT_GT(second, first) << "the count goes on after the bar is full";
    EXPECT_GT(changed, 0) << "the new count did not reach the screen";
    EXPECT_GE(filled, (bar.right - bar.left) * 9 / 10) << "the bar is full after 10000 files";
    ASSERT_TRUE(process.ExpectEnd(kEndDeadline * 2).has_value());
    EXPECT_FALSE(IsWindow(window)) << "the window goes with the run";
    EXPECT_EQ(ClipboardText().value_or(""), tree / "big\\hit.txt");
}

// While the progress window takes its paint messages, messages sent to the thread are handled too.
// A second start of the run (WM_TIMER 610) and a close request (WM_CLOSE), both sent to the main
// window mid-run, must neither restart nor cut it: the whole result reaches the clipboard once, and
// then the process ends with 0. Each folder is given many times in a row, so the hits of the last
// folders are found only near the end of the run.
TEST(ProgressWindow, MessagesSentToTheMainWindowDuringARunNeitherRestartNorEndIt) {
    TempDir tree;
    std::vector<std::string> names;
    std::string arguments = "/#f=\"Text\" /#e1", expected;
    for (int folder = 0; folder < 10; ++folder) {
        const std::string name = "d" + std::to_string(folder);
        names.push_back(name + "\\hit.txt");
        for (int i = 0; i < 300; ++i) names.push_back(name + "\\f" + std::to_string(i) + ".dat");
        for (int i = 0; i < 60; ++i) arguments += " \"" + tree / name + "\"";
        expected += (folder ? "\r\n" : "") + tree / (name + "\\hit.txt");
    }
    MakeTree(tree.path(), names);
    KorvalInstall install("[system]\r\n@sub\r\n@bar\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    ClearClipboard();
    HWND listener = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(AddClipboardFormatListener(listener));
    KorvalProcess process(install.exe(), arguments, install.folder());
    HWND window = WaitForProgressWindow(process);
    ASSERT_NE(window, nullptr) << "no progress window appeared\n" << ScreenReport();
    HWND main = nullptr;
    for (HWND found = nullptr; !main && (found = FindWindowExA(nullptr, found, "Korval", "Korval"));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == process.id()) main = found;
    }
    ASSERT_NE(main, nullptr) << "no main window of class and title Korval";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(main, WM_TIMER, 610, 0, SMTO_NORMAL, kEndDeadline, &answer), 0) << "WM_TIMER not taken";
    EXPECT_NE(SendMessageTimeoutA(main, WM_CLOSE, 0, 0, SMTO_NORMAL, kEndDeadline, &answer), 0) << "WM_CLOSE not taken";
    ASSERT_TRUE(IsWindow(window)) << "the progress window went before both messages were taken";
    EXPECT_EQ(process.ExpectEnd(kEndDeadline * 2).value_or(99), 0u);
    int deliveries = 0;
    for (MSG message; PeekMessageA(&message, listener, WM_CLIPBOARDUPDATE, WM_CLIPBOARDUPDATE, PM_REMOVE);) ++deliveries;
    RemoveClipboardFormatListener(listener);
    DestroyWindow(listener);
    EXPECT_EQ(deliveries, 1) << "times the clipboard was written";
    EXPECT_EQ(ClipboardText().value_or(""), expected);
}
