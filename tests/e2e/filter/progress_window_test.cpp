// The progress window of a long filter run, watched from outside while Korval pumps no messages:
// its place, its title, and a growing count and a full bar that actually reach the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/screenshot.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProgressWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    bool found = owner == search->processId && IsWindowVisible(window) && GetDlgItem(window, 300) != nullptr;
    if (found) search->found = window;
    return !found;
}

// The count in "検索N件", or -1 when the note does not have that form.
int Count(HWND window) {
    const std::string head = "検索", note = WindowText(GetDlgItem(window, 104));
    return note.size() > head.size() && note.rfind(head, 0) == 0 ? std::atoi(note.c_str() + head.size()) : -1;
}

}  // namespace

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
    Search search = {process.id(), nullptr};
    WaitUntil(kWindowDeadline, [&] {
        EnumWindows(FindProgressWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || process.Wait(0).has_value();
    });
    ASSERT_NE(search.found, nullptr) << "no progress window appeared\n" << ScreenReport();
    HWND window = search.found;
    RECT place, expected = {GetSystemMetrics(SM_CXSCREEN) / 2 - 75, GetSystemMetrics(SM_CYMAXIMIZED) / 2 - 35, 0, 0};
    expected.right = expected.left + 150;
    expected.bottom = expected.top + 60;
    GetWindowRect(window, &place);
    EXPECT_TRUE(EqualRect(&place, &expected))
        << place.left << "," << place.top << "," << place.right << "," << place.bottom;

    int first = -1;
    ASSERT_TRUE(WaitUntil(kEndDeadline, [&] { return (first = Count(window)) > 10000 || !IsWindow(window); }) &&
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
        second = Count(window);
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
    KeepScreenshot(after, "progress_window.bmp");
    EXPECT_EQ(WindowText(GetDlgItem(window, 102)), "フィルタ実行中");
    EXPECT_GT(second, first) << "the count goes on after the bar is full";
    EXPECT_GT(changed, 0) << "the new count did not reach the screen";
    EXPECT_GE(filled, (bar.right - bar.left) * 9 / 10) << "the bar is full after 10000 files";
    ASSERT_TRUE(process.ExpectEnd(kEndDeadline * 2).has_value());
    EXPECT_FALSE(IsWindow(window)) << "the window goes with the run";
    EXPECT_EQ(ClipboardText().value_or(""), tree / "big\\hit.txt");
}
