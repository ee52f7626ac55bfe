// The progress window in-process, with the dialog template taken from Korval.exe: its layout, its
// bar, and when the filter run and the sort open it (seen through a hook on this thread).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "filter/engine.h"
#include "support/wine_test.h"
#include "ui/ui.h"

using namespace korval_test;

namespace {

std::vector<std::string> TextsSet;
int DialogsOpened;

LRESULT CALLBACK WatchMessages(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && call->message == WM_SETTEXT && call->lParam != 0) {
        TextsSet.push_back(reinterpret_cast<const char*>(call->lParam));
    }
    if (code >= 0 && call->message == WM_INITDIALOG) ++DialogsOpened;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
    char className[16];
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

class ProgressWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(Instance, nullptr);
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        MaximizedHeight = GetSystemMetrics(SM_CYMAXIMIZED);
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, WatchMessages, nullptr, GetCurrentThreadId());
        TextsSet.clear();
        DialogsOpened = 0;
        SystemOptions = SystemOptionsRecord{};
        SystemOptions.showProgress = 1;
        ResultList.folderCount = 0;
        ResultList.fileCount = 0;
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook_);
        FreeLibrary(Instance);
        Instance = nullptr;
    }

    bool Seen(const std::string& text) const {
        for (const std::string& set : TextsSet) {
            if (set == text) return true;
        }
        return false;
    }

    HHOOK hook_ = nullptr;
};

}  // namespace

TEST_F(ProgressWindow, IsLaidOutAroundTheScreenCentreAndShowsTheLatestStep) {
    ScreenWidth = 800;
    MaximizedHeight = 570;
    OpenProgressWindow(nullptr);
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&window));
    ASSERT_NE(window, nullptr);
    RECT place;
    GetWindowRect(window, &place);
    EXPECT_EQ(place.left, 325);
    EXPECT_EQ(place.top, 250);
    EXPECT_EQ(place.right - place.left, 150);
    EXPECT_EQ(place.bottom - place.top, 60);
    struct Control {
        int id;
        const char* className;
        RECT rect;
    } controls[] = {
        {102, "Static", {10, 2, 137, 17}},
        {103, "Static", {10, 20, 40, 35}},
        {104, "Static", {47, 20, 137, 35}},
        {300, PROGRESS_CLASSA, {10, 35, 137, 50}},
    };
    for (const Control& c : controls) {
        HWND control = GetDlgItem(window, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        char className[32];
        GetClassNameA(control, className, sizeof className);
        EXPECT_STREQ(className, c.className) << c.id;
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_TRUE(EqualRect(&rect, &c.rect)) << c.id << ": " << rect.left << "," << rect.top << "," << rect.right
                                               << "," << rect.bottom;
    }
    HWND bar = GetDlgItem(window, 300);
    SetProgressRange(5000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 5000);
    for (int i = 0; i < 3; ++i) StepProgress();
    Sleep(50);
    StepProgress();
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 4) << "the steps made while the bar waited are all shown";
    SetProgressTitle("title");
    EXPECT_EQ(WindowText(GetDlgItem(window, 102)), "title");
    CloseProgressWindow();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ProgressWindow, TheSearchOpensItAbove100TargetsOrForAWalkOfAllLevels) {
    FilterKind = kKindFiles;
    InsideFolders = 0;
    struct Case {
        int files;
        int folders;
        int allLevels;
        int opened;
    } cases[] = {{100, 0, 0, 0}, {101, 0, 0, 1}, {0, 1, 1, 1}, {0, 1, 0, 0}};
    TempDir tree;
    for (const Case& c : cases) {
        DialogsOpened = 0;
        TextsSet.clear();
        TargetFileCount = c.files;
        for (int i = 0; i < c.files; ++i) std::strcpy(TargetFiles[i], (tree / ("f" + std::to_string(i))).c_str());
        TargetFolderCount = c.folders;
        if (c.folders > 0) std::strcpy(TargetFolders[0], tree.path().c_str());
        AllLevels = c.allLevels;
        ResultList.fileCount = 0;
        ResultList.folderCount = 0;
        CollectResults(nullptr, 0);
        EXPECT_EQ(DialogsOpened, c.opened) << c.files << " files, " << c.folders << " folders, AllLevels " << c.allLevels;
        EXPECT_EQ(Seen("フィルタ実行中"), c.opened == 1);
        // The first count is shown at once; later ones at most every 30 ms.
        EXPECT_EQ(Seen("検索1件"), c.opened == 1 && c.files > 0);
        EXPECT_EQ(progressShown, 0);
    }
}

TEST_F(ProgressWindow, TheSortOpensItAbove100Entries) {
    SystemOptions.sortMode = kSortModePath;
    FilterKind = kKindFiles;
    for (int count : {100, 101}) {
        DialogsOpened = 0;
        TextsSet.clear();
        ResultList.fileCount = count;
        for (int i = 0; i < count; ++i) std::strcpy(ResultList.files[i], ("C:\\f" + std::to_string(i)).c_str());
        SortAndDeliver(nullptr, 1);
        EXPECT_EQ(DialogsOpened, count - 100) << count << " entries";
        EXPECT_EQ(Seen("ソート処理中 - 101件 - ") && Seen("0%") && Seen("100%"), count == 101) << count << " entries";
        EXPECT_EQ(progressShown, 0);
    }
}
