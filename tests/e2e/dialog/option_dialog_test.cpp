// The option dialog in-process on Korval's "OPTION" template: placement, drags, drops, double clicks, right clicks.

#include "support/wine_test.h"

class OptionDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = GetModuleHandleA(nullptr);
        TargetFolderCount = TargetFileCount = 0;
        OptionResult = 1;
        AllLevels = InsideFolders = 1;
        // The dialog's top-left corner goes to the screen centre these make, (400, 285).
        MenuPlacement = {PlacementMode::Center, 0, 0};
        ScreenWidth = 801;
        MaximizedHeight = 571;
        MouseButtonCount = GetSystemMetrics(SM_CMOUSEBUTTONS);
    }

    void TearDown() override { DestroyWindow(dialog_); }

    HWND Open() {
        DestroyWindow(dialog_);
        return dialog_ = CreateDialogParamA(resources_, "OPTION", nullptr, OptionDialogProc, 0);
    }

    std::string Label(int id) const { return WindowText(GetDlgItem(dialog_, id)); }

    // A real shell drop of ANSI paths; returns the counts shown afterwards.
    std::string Drop(const std::vector<std::string>& paths) {
        SendMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(paths)), 0);
        return Label(kCountLabelId);
    }

    // `held` down as GetKeyState reads them on this thread, up again afterwards. Returns the label
    // that a double click with these keys is to change: the counts with Ctrl, the scope without.
    std::string DoubleClick(const std::vector<int>& held = {}) {
        BYTE keys[256] = {};
        for (int key : held) keys[key] = 0x80;
        SetKeyboardState(keys);
        SendMessageA(dialog_, WM_LBUTTONDBLCLK, 0, MAKELPARAM(70, 10));
        SetKeyboardState(std::vector<BYTE>(256).data());
        return Label(held.empty() ? kScopeLabelId : kCountLabelId);
    }

    // Korval.exe loaded for its resources only: the test program has no templates of its own.
    HMODULE resources_ = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog_ = nullptr;
};

// The dialog opens with its top-left corner on the screen centre, and the left button drags it by
// the cursor's way, and no further once released; the dialog reads the cursor, not the message's point.
TEST_F(OptionDialog, OpensAtTheCentreAndTheLeftButtonDragsIt) {
    ASSERT_NE(Open(), nullptr);
    RECT first, frame;
    GetWindowRect(dialog_, &first);
    EXPECT_EQ(std::make_pair(first.left, first.top), std::make_pair(400L, 285L));
    const std::pair<UINT, POINT> steps[] = {{WM_LBUTTONDOWN, {460, 300}}, {WM_MOUSEMOVE, {491, 320}},
                                            {WM_LBUTTONUP, {491, 320}}, {WM_MOUSEMOVE, {600, 500}}};
    for (const auto& [message, cursor] : steps) {
        SetCursorPos(cursor.x, cursor.y);
        SendMessageA(dialog_, message, 0, 0);
    }
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ((std::vector<LONG>{frame.left - first.left, frame.top - first.top, frame.right - first.right,
                                 frame.bottom - first.bottom}), (std::vector<LONG>{31, 20, 31, 20}));
}

// Items already held, also in another case, are skipped. Ctrl keeps the counts and clears them
// with the result counts; a drop then writes from the first row, and Ctrl+Shift brings the kept
// counts back over the rows as they now stand. The 1000th target is the last one kept. Enter and
// Escape arrive as IDOK and IDCANCEL; only the two buttons end the dialog, OK with OptionResult,
// here neither 0 nor 1, as a modal dialog that presses OK on itself once it is up shows.
TEST_F(OptionDialog, DropsAndCtrlDoubleClicksSetTheCounts) {
    TempDir tree;
    MakeTree(tree.path(), {"Data\\", "Notes.txt", "Other\\", "New\\", "a.txt", "b.txt", "c\\"});
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Drop({tree / "Data", tree / "Notes.txt", tree / "DATA"}), "Folder 1 : File 1");
    EXPECT_EQ(Drop({tree / "notes.TXT", tree / "Data", tree / "Other"}), "Folder 2 : File 1");
    EXPECT_STREQ(TargetFiles[0], (tree / "Notes.txt").c_str());
    ResultList.folderCount = 4;
    ResultList.fileCount = 5;
    EXPECT_EQ(DoubleClick({VK_CONTROL}), "Folder 0 : File 0");
    EXPECT_EQ((std::vector<int>{ResultList.folderCount, ResultList.fileCount}), (std::vector<int>{0, 0}));
    EXPECT_EQ(Label(kScopeLabelId), "[ 全階層 ]") << "Ctrl moved the scope";
    EXPECT_EQ(Drop({tree / "New"}), "Folder 1 : File 0");
    EXPECT_STREQ(TargetFolders[0], (tree / "New").c_str());
    EXPECT_EQ(DoubleClick({VK_CONTROL, VK_SHIFT}), "Folder 2 : File 1");
    TargetFolderCount = 400;
    TargetFileCount = 599;
    EXPECT_EQ(Drop({tree / "a.txt", tree / "b.txt", tree / "c"}), "Folder 400 : File 600");
    EXPECT_STREQ(TargetFiles[599], (tree / "a.txt").c_str());
    for (WPARAM id : {IDOK, IDCANCEL}) SendMessageA(dialog_, WM_COMMAND, id, 0);
    EXPECT_TRUE(IsWindowVisible(dialog_)) << "IDOK or IDCANCEL ended the dialog";
    OptionResult = 7;
    DLGPROC pressOk = [](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_INITDIALOG) PostMessageA(dialog, WM_COMMAND, kOkButtonId, 0);
        return OptionDialogProc(dialog, message, wParam, lParam);
    };
    EXPECT_EQ(DialogBoxParamA(resources_, "OPTION", nullptr, pressOk, 0), 7) << "OK ended it with another result";
}

// The opening text, then the text after each double click without Ctrl. The first row passes
// through both flags 1 on its third click, and on to the state after it.
TEST_F(OptionDialog, DoubleClicksCycleTheScope) {
    struct Case { int allLevels, insideFolders; std::vector<std::string> texts; };
    const Case cases[] = {
        {1, 0, {"[ 全階層 ]", "[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 全階層 ]", "[ 転送フォルダ内部 ]"}},
        {0, 1, {"[ 転送フォルダ内部 ]", "[ 転送分のみ ]"}},
        {0, 0, {"[ 転送フォルダのみ ]", "[ 全階層 ]"}},
    };
    for (const Case& c : cases) {
        AllLevels = c.allLevels;
        InsideFolders = c.insideFolders;
        ASSERT_NE(Open(), nullptr);
        std::vector<std::string> texts = {Label(kScopeLabelId)};
        while (texts.size() < c.texts.size()) texts.push_back(DoubleClick());
        EXPECT_EQ(texts, c.texts) << "from " << c.allLevels << ", " << c.insideFolders;
    }
}

// A right click whose menu is dismissed only disables OK; one whose pick runs the filter (to the
// clipboard, as there is no program) clears the counts and OK's result. The menu, tracked here
// while another thread presses the key, opens left-aligned to the cursor and centred on its height.
TEST_F(OptionDialog, ARightClickRunClearsTheCountsAndDisablesOk) {
    TempDir tree;
    MakeTree(tree.path(), {"Data\\", "Data\\a.txt"});
    FilterEntryCount = FilterEntry[0].patternCount = 1;
    std::strcpy(FilterEntry[0].patterns[0], ".*");
    AllLevels = InsideFolders = 0;
    std::strcpy(TargetFolders[0], (tree / "Data").c_str());
    TargetFolderCount = 1;
    ASSERT_NE(Open(), nullptr);
    SetCursorPos(300, 400);
    std::vector<std::string> seen;
    for (bool pick : {false, true}) {
        // Unchanged unless the dismissal cleared it: the run must not be left with nothing to do.
        TargetFolderCount = 1;
        std::atomic<bool> returned = false;
        std::thread keys([&] {
            RECT menu = {};
            HWND tracked = WaitForPopupMenu();
            GetWindowRect(tracked, &menu);
            bool atCursor = menu.left == 300 && std::abs((menu.top + menu.bottom) / 2 - 400) <= 1;
            seen.push_back(tracked == nullptr ? "no menu\n" + ScreenReport()
                                              : atCursor ? "menu at the cursor" : "menu elsewhere");
            TapKey(pick ? '0' : VK_ESCAPE);
            // The test thread is inside the run's modal loops, which only the run can end: when it
            // does not, this thread reports what is on screen and ends the test program.
            if (!WaitUntil(kEndDeadline, [&] { return returned.load(); })) {
                ADD_FAILURE() << "the right-click run did not return\n" << ScreenReport();
                std::fflush(stdout);
                TerminateProcess(GetCurrentProcess(), 1);
            }
        });
        SendMessageA(dialog_, WM_RBUTTONUP, 0, MAKELPARAM(70, 10));
        returned = true;
        keys.join();
        // The targets of the run are kept for a restore.
        seen.push_back(Label(kCountLabelId) + (IsWindowEnabled(GetDlgItem(dialog_, kOkButtonId)) ? ", OK" : ", no OK") +
            ", result " + std::to_string(OptionResult) + ", kept " + std::to_string(SavedTargetCounts.folders));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"menu at the cursor", "Folder 1 : File 0, no OK, result 1, kept 1",
                                              "menu at the cursor", "Folder 0 : File 0, no OK, result 0, kept 1"}));
    EXPECT_EQ(ClipboardText(), tree / "Data") << "the filter run delivered to the clipboard";
    // The placement and the point it made are restored.
    EXPECT_EQ((std::vector<int>{static_cast<int>(MenuPlacement.mode), MenuPosition.x, MenuPosition.y}),
              (std::vector<int>{static_cast<int>(PlacementMode::Center), 400, 285}));
}
