// The option dialog in-process on Korval's "OPTION" template: layout, drops, double clicks, drags, right clicks.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/tables.h"
#include "support/screenshot.h"
#include "support/wine_test.h"
#include "ui/menu_parts.h"
#include "ui/ui.h"

using namespace korval_test;

namespace {

// Korval.exe loaded for its resources only: the test program has no templates of its own.
HMODULE Resources() {
    static HMODULE module = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// A real shell drop in fixed memory: a DROPFILES header, then the ANSI paths, each ended by a zero,
// and one more zero.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    DROPFILES header = {sizeof header, {0, 0}, FALSE, FALSE};
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& path : paths) bytes += path + '\0';
    void* block = GlobalAlloc(GPTR, bytes.size() + 1);
    std::memcpy(block, bytes.data(), bytes.size());
    return static_cast<HDROP>(block);
}

// As a list, so that a failure shows all four corners; `offset` takes client coordinates to the screen.
std::vector<LONG> Corners(const RECT& rect, POINT offset = {0, 0}) {
    return {rect.left + offset.x, rect.top + offset.y, rect.right + offset.x, rect.bottom + offset.y};
}

class OptionDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Instance = GetModuleHandleA(nullptr);
        std::memset(TargetFolders, 0, sizeof TargetFolders);
        std::memset(TargetFiles, 0, sizeof TargetFiles);
        TargetFolderCount = TargetFileCount = 0;
        OptionResult = 1;
        AllLevels = InsideFolders = 1;
        // The dialog's top-left corner goes to the screen centre these make, (400, 285).
        MenuPlacement = {PlacementMode::Center, 0, 0};
        MenuPosition = {-1, -1};
        ScreenWidth = 801;
        MaximizedHeight = 571;
        MouseButtonCount = GetSystemMetrics(SM_CMOUSEBUTTONS);
    }

    void TearDown() override { DestroyWindow(dialog_); }

    HWND Open() {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        return dialog_ = CreateDialogParamA(Resources(), "OPTION", nullptr, OptionDialogProc, 0);
    }

    std::string Counts() const { return WindowText(GetDlgItem(dialog_, kCountLabelId)); }
    std::string Scope() const { return WindowText(GetDlgItem(dialog_, kScopeLabelId)); }

    void Drop(const std::vector<std::string>& paths) {
        SendMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

    // Ctrl and Shift as GetKeyState reads them on this thread, up again afterwards.
    void DoubleClick(bool control, bool shift) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(dialog_, WM_LBUTTONDBLCLK, 0, MAKELPARAM(70, 10));
        SetKeyboardState(std::vector<BYTE>(256).data());
    }

    HWND dialog_ = nullptr;
};

// Each control where the layout puts it, with its text and the dialog font, and drawn inside its
// rectangle; the buttons' lower edges shaded, the space between them not.
TEST_F(OptionDialog, ScreenshotShowsTheControlsAtTheirPositionsAndTheDialogIsDragged) {
    TargetFolderCount = 12;
    TargetFileCount = 345;
    ASSERT_NE(Open(), nullptr);
    PumpMessages(300);
    Screenshot shot = CaptureScreen();
    KeepScreenshot(shot, "dialog.bmp");
    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(Corners(frame), (std::vector<LONG>{400, 285, 540, 353}));
    POINT origin = {0, 0};
    ClientToScreen(dialog_, &origin);
    const DWORD face = GetSysColor(COLOR_BTNFACE);
    const DWORD background = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
    struct Expected {
        int id;
        const char* text;
        RECT rect;  // in client coordinates
    };
    const Expected controls[] = {
        {100, "[ 全階層 ]", {0, 2, 140, 18}},
        {101, "Folder 12 : File 345", {0, 20, 140, 37}},
        {200, "&OK", {7, 40, 62, 58}},
        {201, "&CANCEL", {72, 40, 127, 58}},
    };
    for (const Expected& expected : controls) {
        HWND control = GetDlgItem(dialog_, expected.id);
        EXPECT_EQ(WindowText(control), expected.text) << "control " << expected.id;
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfFaceName + std::to_string(font.lfHeight), "ＭＳ Ｐゴシック13") << "control " << expected.id;
        RECT screen;
        GetWindowRect(control, &screen);
        EXPECT_EQ(Corners(screen), Corners(expected.rect, origin)) << "control " << expected.id;
        int drawn = 0;
        for (int y = screen.top; y < screen.bottom && y < frame.bottom; ++y) {
            for (int x = screen.left; x < screen.right && x < frame.right; ++x) drawn += shot.At(x, y) != background;
        }
        EXPECT_GT(drawn, 10) << "control " << expected.id << " shows nothing on screen";
        if (expected.id >= kOkButtonId) {
            EXPECT_NE(shot.At((screen.left + screen.right) / 2, screen.bottom - 1), background) << expected.id;
        }
    }
    EXPECT_EQ(shot.At(origin.x + 67, origin.y + 49), background) << "something is drawn between the buttons";

    // The left button drags the dialog by the cursor's way, and no further once released.
    SetCursorPos(460, 300);
    SendMessageA(dialog_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 15));
    SetCursorPos(491, 320);
    SendMessageA(dialog_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(91, 35));
    SendMessageA(dialog_, WM_LBUTTONUP, 0, MAKELPARAM(91, 35));
    SetCursorPos(600, 500);
    SendMessageA(dialog_, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(Corners(frame), (std::vector<LONG>{431, 305, 571, 373}));
}

// Items already held, also in another case, are skipped. Ctrl keeps the counts and clears them
// with the result counts; a drop then writes from the first row, and Ctrl+Shift brings the kept
// counts back over the rows as they now stand. The 1000th target is the last one kept.
TEST_F(OptionDialog, DropsAndCtrlDoubleClicksSetTheCounts) {
    TempDir tree;
    MakeTree(tree.path(), {"Data\\", "Notes.txt", "Other\\", "New\\", "a.txt", "b.txt", "c\\"});
    ASSERT_NE(Open(), nullptr);
    Drop({tree / "Data", tree / "Notes.txt", tree / "DATA"});
    EXPECT_EQ(Counts(), "Folder 1 : File 1");
    Drop({tree / "notes.TXT", tree / "Data", tree / "Other"});
    EXPECT_EQ(Counts(), "Folder 2 : File 1");
    EXPECT_STREQ(TargetFiles[0], (tree / "Notes.txt").c_str());
    ResultList.folderCount = 4;
    ResultList.fileCount = 5;
    DoubleClick(true, false);
    EXPECT_EQ(Counts(), "Folder 0 : File 0");
    EXPECT_EQ(ResultList.folderCount + ResultList.fileCount, 0);
    EXPECT_EQ(Scope(), "[ 全階層 ]") << "Ctrl moved the scope";
    Drop({tree / "New"});
    EXPECT_STREQ(TargetFolders[0], (tree / "New").c_str());
    DoubleClick(true, true);
    EXPECT_EQ(Counts(), "Folder 2 : File 1");
    TargetFolderCount = 400;
    TargetFileCount = 599;
    Drop({tree / "a.txt", tree / "b.txt", tree / "c"});
    EXPECT_EQ(Counts(), "Folder 400 : File 600");
    EXPECT_STREQ(TargetFiles[599], (tree / "a.txt").c_str());
    // Enter and Escape arrive as IDOK and IDCANCEL; only the two buttons end the dialog.
    for (WPARAM id : {IDOK, IDCANCEL}) SendMessageA(dialog_, WM_COMMAND, id, 0);
    EXPECT_TRUE(IsWindowVisible(dialog_)) << "IDOK or IDCANCEL ended the dialog";
}

// The opening text, then the text after each of three double clicks without Ctrl.
TEST_F(OptionDialog, DoubleClicksCycleTheScope) {
    struct Case {
        int allLevels, insideFolders;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {1, 1, {"[ 全階層 ]", "[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 全階層 ]"}},
        {1, 0, {"[ 全階層 ]", "[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 全階層 ]"}},
        {0, 1, {"[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 全階層 ]", "[ 転送フォルダ内部 ]"}},
        {0, 0, {"[ 転送フォルダのみ ]", "[ 全階層 ]", "[ 転送フォルダ内部 ]", "[ 転送分のみ ]"}},
    };
    for (const Case& c : cases) {
        AllLevels = c.allLevels;
        InsideFolders = c.insideFolders;
        ASSERT_NE(Open(), nullptr);
        std::vector<std::string> texts = {Scope()};
        for (int i = 0; i < 3; ++i) {
            DoubleClick(false, false);
            texts.push_back(Scope());
        }
        EXPECT_EQ(texts, c.texts) << "from " << c.allLevels << ", " << c.insideFolders;
    }
}

// A right click whose menu is dismissed only disables OK; one whose pick runs the filter (to the
// clipboard, as there is no program) clears the counts and OK's result. The menu, tracked here
// while another thread presses the key, opens left-aligned to the cursor and centred on its height.
TEST_F(OptionDialog, ARightClickRunClearsTheCountsAndDisablesOk) {
    TempDir tree;
    MakeTree(tree.path(), {"Data\\", "Data\\a.txt"});
    FilterEntryCount = 1;
    std::strcpy(FilterEntry[0].patterns[0], ".*");
    FilterEntry[0].patternCount = 1;
    AllLevels = InsideFolders = 0;
    std::strcpy(TargetFolders[0], (tree / "Data").c_str());
    TargetFolderCount = 1;
    ASSERT_NE(Open(), nullptr);
    SetCursorPos(300, 400);
    std::vector<std::string> seen;
    for (bool pick : {false, true}) {
        // Unchanged unless the dismissal cleared it: the run must not be left with nothing to do.
        TargetFolderCount = 1;
        std::thread keys([&] {
            RECT menu = {};
            GetWindowRect(WaitForPopupMenu(10000), &menu);
            bool atCursor = menu.left == 300 && std::abs((menu.top + menu.bottom) / 2 - 400) <= 1;
            seen.push_back(atCursor ? "menu at the cursor" : "menu elsewhere");
            Sleep(200);
            TapKey(pick ? '0' : VK_ESCAPE);
        });
        SendMessageA(dialog_, WM_RBUTTONUP, 0, MAKELPARAM(70, 10));
        keys.join();
        seen.push_back(Counts() + (IsWindowEnabled(GetDlgItem(dialog_, kOkButtonId)) ? ", OK enabled" : ", OK disabled") +
                       ", result " + std::to_string(OptionResult));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"menu at the cursor", "Folder 1 : File 0, OK disabled, result 1",
                                              "menu at the cursor", "Folder 0 : File 0, OK disabled, result 0"}));
    EXPECT_EQ(ClipboardText(), tree / "Data") << "the filter run delivered to the clipboard";
    EXPECT_EQ(SavedTargetCounts.folders, 1) << "the targets of the run are kept for a restore";
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Center) << "the placement was not restored";
    EXPECT_EQ((std::vector<int>{MenuPosition.x, MenuPosition.y}), (std::vector<int>{400, 285}));
}

}  // namespace
