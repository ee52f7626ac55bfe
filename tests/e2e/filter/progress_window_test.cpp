// The progress window of a long filter run, watched from outside while Korval pumps no messages:
// its place, its texts and what actually reaches the screen.
#include <gtest/gtest.h>

#include <string>

#include "support/screenshot.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

constexpr int kTitleLine = 102;
constexpr int kRightNote = 104;
constexpr int kProgressBar = 300;

struct ProcessWindow {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProgressWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ProcessWindow*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) && std::string(className) == "#32770" &&
        GetDlgItem(window, kProgressBar) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The count in "検索N件", or -1 when the note does not have that form.
int SearchCount(const std::string& note) {
    const std::string head = "検索";
    const std::string tail = "件";
    if (note.size() <= head.size() + tail.size() || note.compare(0, head.size(), head) != 0 ||
        note.compare(note.size() - tail.size(), tail.size(), tail) != 0) {
        return -1;
    }
    return std::stoi(note.substr(head.size(), note.size() - head.size() - tail.size()));
}

// Pixels of `rect` whose colour differs between two pictures of the screen.
int ChangedPixels(const Screenshot& before, const Screenshot& after, const RECT& rect) {
    int changed = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) changed += before.At(x, y) != after.At(x, y) ? 1 : 0;
    }
    return changed;
}

// Columns of `rect` that show the bar's fill colour on the middle row.
int FilledColumns(const Screenshot& shot, const RECT& rect) {
    DWORD fill = GetSysColor(COLOR_HIGHLIGHT);
    DWORD rgb = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    int y = (rect.top + rect.bottom) / 2;
    int filled = 0;
    for (int x = rect.left; x < rect.right; ++x) filled += shot.At(x, y) == rgb ? 1 : 0;
    return filled;
}

}  // namespace

TEST(ProgressWindow, ShowsTheGrowingSearchCountOnScreenDuringALongRun) {
    TempDir tree;
    std::vector<std::string> names = {"big\\hit.txt"};
    for (int i = 0; i < 400; ++i) names.push_back("big\\f" + std::to_string(i) + ".dat");
    MakeTree(tree.path(), names);
    // One folder given many times is walked that many times: a long run from a small tree.
    std::string arguments = "/#f=\"Text\" /#e1";
    for (int i = 0; i < 500; ++i) arguments += " \"" + tree / "big" + "\"";
    KorvalInstall install("[system]\r\n@sub\r\n@bar\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    SetClipboardText("untouched");
    KorvalProcess process(install.exe(), arguments, install.folder());

    ProcessWindow search = {process.id(), nullptr};
    for (int i = 0; i < 3000 && search.found == nullptr && !process.Wait(0).has_value(); ++i) {
        EnumWindows(FindProgressWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(5);
    }
    ASSERT_NE(search.found, nullptr) << "no progress window appeared";
    HWND window = search.found;
    // The window shows itself while it lays itself out; its user writes the title right after.
    std::string title;
    for (int i = 0; i < 200 && title.empty(); ++i) {
        title = WindowText(GetDlgItem(window, kTitleLine));
        if (title.empty()) Sleep(5);
    }
    EXPECT_EQ(title, "フィルタ実行中");
    RECT place;
    GetWindowRect(window, &place);
    EXPECT_EQ(place.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 75);
    EXPECT_EQ(place.top, GetSystemMetrics(SM_CYMAXIMIZED) / 2 - 35);
    EXPECT_EQ(place.right - place.left, 150);
    EXPECT_EQ(place.bottom - place.top, 60);

    // Two moments of the run, beyond the bar's 10000 files.
    int firstCount = -1;
    for (int i = 0; i < 400 && firstCount <= 10000; ++i) {
        firstCount = SearchCount(WindowText(GetDlgItem(window, kRightNote)));
        Sleep(10);
    }
    ASSERT_GT(firstCount, 10000) << "the run ended or the count stalled";
    Screenshot first = CaptureScreen();
    Sleep(300);
    int secondCount = SearchCount(WindowText(GetDlgItem(window, kRightNote)));
    Screenshot second = CaptureScreen();
    ASSERT_TRUE(IsWindow(window)) << "the run ended too early to be watched";
    KeepScreenshot(second, "progress_window.bmp");

    EXPECT_GT(secondCount, firstCount) << "the count goes on after the bar is full";
    RECT note;
    GetWindowRect(GetDlgItem(window, kRightNote), &note);
    EXPECT_GT(ChangedPixels(first, second, note), 0) << "the new count did not reach the screen";
    RECT bar;
    GetWindowRect(GetDlgItem(window, kProgressBar), &bar);
    EXPECT_GE(FilledColumns(second, bar), (bar.right - bar.left) * 9 / 10) << "the bar is full after 10000 files";

    ASSERT_TRUE(process.Wait(120000).has_value());
    EXPECT_FALSE(IsWindow(window)) << "the window goes with the run";
    EXPECT_EQ(ClipboardText().value_or(""), tree / "big\\hit.txt");
}
