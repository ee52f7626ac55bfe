// The option dialog in-process on Korval's own "OPTION" template: layout, drops, double clicks,
// dragging, the buttons and the right-click menu, driven by messages and synthesized input.
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

// A real shell drop: a DROPFILES header followed by the ANSI paths, each ended by a zero.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += path + '\0';
    list += '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

// Sets the calling thread's view of Ctrl and Shift, which GetKeyState reads.
void HoldKeys(bool control, bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_LCONTROL] = control ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

void SetTargets(int folders, int files) {
    TargetFolderCount = folders;
    TargetFileCount = files;
}

class OptionDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Resources(), nullptr) << "Korval.exe could not be loaded for its dialog template";
        Instance = GetModuleHandleA(nullptr);
        std::memset(TargetFolders, 0, sizeof TargetFolders);
        std::memset(TargetFiles, 0, sizeof TargetFiles);
        SetTargets(0, 0);
        ResultList.folderCount = 0;
        ResultList.fileCount = 0;
        SavedTargetCounts = {0, 0};
        OptionResult = 1;
        AllLevels = 1;
        InsideFolders = 1;
        MenuPlacement = {PlacementMode::Explicit, 200, 150};
        MenuPosition = {-1, -1};
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        MaximizedHeight = GetSystemMetrics(SM_CYMAXIMIZED);
        MouseButtonCount = GetSystemMetrics(SM_CMOUSEBUTTONS);
        HoldKeys(false, false);
    }

    void TearDown() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        HoldKeys(false, false);
        MenuPosition = {-1, -1};
    }

    HWND Open() {
        dialog_ = CreateDialogParamA(Resources(), "OPTION", nullptr, OptionDialogProc, 0);
        PumpMessages(50);
        return dialog_;
    }

    std::string Counts() const { return WindowText(GetDlgItem(dialog_, kCountLabelId)); }
    std::string Scope() const { return WindowText(GetDlgItem(dialog_, kScopeLabelId)); }

    void Drop(const std::vector<std::string>& paths) {
        SendMessageA(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

    void DoubleClick(bool control, bool shift) {
        HoldKeys(control, shift);
        SendMessageA(dialog_, WM_LBUTTONDBLCLK, 0, MAKELPARAM(70, 10));
        HoldKeys(false, false);
    }

    HWND dialog_ = nullptr;
};

TEST_F(OptionDialog, LaysOutItsControlsAtMenuPositionWithTheDialogFont) {
    SetTargets(2, 3);
    ASSERT_NE(Open(), nullptr);
    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, 200);
    EXPECT_EQ(frame.top, 150);
    EXPECT_EQ(frame.right - frame.left, 140);
    EXPECT_EQ(frame.bottom - frame.top, 68);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(GetWindowTextLengthA(dialog_), 0) << "the dialog has no title";

    // Their rectangles are compared with the screen in the screenshot test.
    struct Expected {
        int id;
        const char* className;
        const char* text;
    };
    const Expected controls[] = {
        {100, "Static", "[ 全階層 ]"},
        {101, "Static", "Folder 2 : File 3"},
        {200, "Button", "&OK"},
        {201, "Button", "&CANCEL"},
    };
    for (const Expected& expected : controls) {
        HWND control = GetDlgItem(dialog_, expected.id);
        ASSERT_NE(control, nullptr) << "control " << expected.id;
        char className[32];
        GetClassNameA(control, className, sizeof className);
        EXPECT_STREQ(className, expected.className) << "control " << expected.id;
        EXPECT_EQ(WindowText(control), expected.text) << "control " << expected.id;
        LOGFONTA font = {};
        auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
        ASSERT_NE(handle, nullptr) << "control " << expected.id << " has no font";
        GetObjectA(handle, sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック") << "control " << expected.id;
        EXPECT_EQ(font.lfHeight, 13) << "control " << expected.id;
    }
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, kCountLabelId));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, kOkButtonId)));
}

TEST_F(OptionDialog, OpensWithTheScopeTextOfTheFlags) {
    struct Case {
        int allLevels;
        int insideFolders;
        const char* text;
    };
    const Case cases[] = {
        {1, 1, "[ 全階層 ]"}, {1, 0, "[ 全階層 ]"}, {0, 1, "[ 転送フォルダ内部 ]"}, {0, 0, "[ 転送フォルダのみ ]"}};
    for (const Case& c : cases) {
        AllLevels = c.allLevels;
        InsideFolders = c.insideFolders;
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Scope(), c.text) << "AllLevels " << c.allLevels << ", InsideFolders " << c.insideFolders;
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(OptionDialog, CenterPlacementPutsTheTopLeftCornerAtTheScreenCentre) {
    MenuPlacement = {PlacementMode::Center, 0, 0};
    ScreenWidth = 801;
    MaximizedHeight = 571;
    ASSERT_NE(Open(), nullptr);
    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, 400);
    EXPECT_EQ(frame.top, 285);
    EXPECT_EQ(MenuPosition.x, 400);
    EXPECT_EQ(MenuPosition.y, 285);
}

TEST_F(OptionDialog, DropsAddFoldersAndFilesOnceIgnoringCase) {
    TempDir tree;
    MakeTree(tree.path(), {"Data\\", "Notes.txt", "Other\\"});
    ASSERT_NE(Open(), nullptr);
    std::string folder = tree / "Data";
    std::string file = tree / "Notes.txt";
    std::string folderOtherCase = tree / "DATA";
    std::string fileOtherCase = tree / "notes.TXT";
    Drop({folder, file, folderOtherCase});
    EXPECT_EQ(Counts(), "Folder 1 : File 1");
    Drop({fileOtherCase, folder, tree / "Other"});
    EXPECT_EQ(Counts(), "Folder 2 : File 1");
    EXPECT_STREQ(TargetFolders[0], folder.c_str());
    EXPECT_STREQ(TargetFolders[1], (tree / "Other").c_str());
    EXPECT_STREQ(TargetFiles[0], file.c_str());
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, kCountLabelId));
}

TEST_F(OptionDialog, DropsStopAtAThousandTargets) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt", "b.txt", "c\\"});
    SetTargets(400, 599);
    ASSERT_NE(Open(), nullptr);
    Drop({tree / "a.txt", tree / "b.txt", tree / "c"});
    EXPECT_EQ(Counts(), "Folder 400 : File 600");
    EXPECT_STREQ(TargetFiles[599], (tree / "a.txt").c_str());
    EXPECT_STREQ(TargetFiles[600], "") << "a row beyond the limit was written";
    EXPECT_STREQ(TargetFolders[400], "") << "a row beyond the limit was written";
}

TEST_F(OptionDialog, DoubleClicksCycleTheScope) {
    struct Case {
        int allLevels;
        int insideFolders;
        std::vector<std::string> texts;
        int endAllLevels;
        int endInsideFolders;
    };
    const Case cases[] = {
        {1, 1, {"[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 全階層 ]"}, 1, 1},
        {0, 0, {"[ 全階層 ]", "[ 転送フォルダ内部 ]", "[ 転送分のみ ]"}, 0, 0},
        {1, 0, {"[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 全階層 ]"}, 1, 1},
    };
    for (const Case& c : cases) {
        AllLevels = c.allLevels;
        InsideFolders = c.insideFolders;
        ASSERT_NE(Open(), nullptr);
        for (size_t i = 0; i < c.texts.size(); ++i) {
            DoubleClick(false, false);
            EXPECT_EQ(Scope(), c.texts[i]) << "from " << c.allLevels << c.insideFolders << ", click " << i + 1;
        }
        EXPECT_EQ(AllLevels, c.endAllLevels) << "from " << c.allLevels << c.insideFolders;
        EXPECT_EQ(InsideFolders, c.endInsideFolders) << "from " << c.allLevels << c.insideFolders;
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(OptionDialog, CtrlDoubleClickClearsTheCountsAndCtrlShiftRestoresThem) {
    TempDir tree;
    MakeTree(tree.path(), {"New\\"});
    SetTargets(2, 3);
    std::strcpy(TargetFolders[0], "C:\\old");
    ResultList.folderCount = 4;
    ResultList.fileCount = 5;
    ASSERT_NE(Open(), nullptr);
    DoubleClick(true, false);
    EXPECT_EQ(Counts(), "Folder 0 : File 0");
    EXPECT_EQ(ResultList.folderCount, 0);
    EXPECT_EQ(ResultList.fileCount, 0);
    EXPECT_EQ(Scope(), "[ 全階層 ]") << "Ctrl must not move the scope";
    // Dropped after the clear: written from the first row on.
    Drop({tree / "New"});
    EXPECT_EQ(Counts(), "Folder 1 : File 0");
    EXPECT_STREQ(TargetFolders[0], (tree / "New").c_str());
    DoubleClick(true, true);
    EXPECT_EQ(Counts(), "Folder 2 : File 3");
    EXPECT_EQ(TargetFolderCount, 2);
    EXPECT_EQ(TargetFileCount, 3);
    EXPECT_STREQ(TargetFolders[0], (tree / "New").c_str()) << "a restore brings back counts, not rows";
}

TEST_F(OptionDialog, TheLeftButtonDragsTheDialog) {
    ASSERT_NE(Open(), nullptr);
    SetCursorPos(260, 170);
    SendMessageA(dialog_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 20));
    EXPECT_EQ(GetCapture(), dialog_);
    SetCursorPos(291, 190);
    SendMessageA(dialog_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(91, 40));
    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, 231);
    EXPECT_EQ(frame.top, 170);
    EXPECT_EQ(frame.right - frame.left, 140);
    SendMessageA(dialog_, WM_LBUTTONUP, 0, MAKELPARAM(60, 20));
    EXPECT_EQ(GetCapture(), nullptr);
    SetCursorPos(400, 400);
    SendMessageA(dialog_, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, 231) << "the dialog moved after the button was released";
    EXPECT_EQ(frame.top, 170);
}

// The modal dialog, ended by messages posted from another thread once it is up.
INT_PTR RunModal(const std::vector<std::pair<UINT, WPARAM>>& commands, bool* stayedOpen) {
    std::thread presser([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && dialog == nullptr; ++i) {
            Sleep(25);
            HWND found = FindWindowA("#32770", "");
            if (found != nullptr && IsWindowVisible(found) && GetDlgItem(found, kCancelButtonId) != nullptr) dialog = found;
        }
        if (dialog == nullptr) return;
        for (size_t i = 0; i + 1 < commands.size(); ++i) {
            PostMessageA(dialog, commands[i].first, commands[i].second, 0);
        }
        Sleep(300);
        *stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        PostMessageA(dialog, commands.back().first, commands.back().second, 0);
    });
    INT_PTR result = DialogBoxParamA(Resources(), "OPTION", nullptr, OptionDialogProc, 0);
    presser.join();
    return result;
}

TEST_F(OptionDialog, OnlyItsTwoButtonsEndIt) {
    struct Case {
        const char* name;
        int optionResult;
        WPARAM button;
        INT_PTR expected;
    };
    const Case cases[] = {
        {"OK", 1, kOkButtonId, 1},
        {"OK after a menu command", 0, kOkButtonId, 0},
        {"CANCEL", 1, kCancelButtonId, 0},
    };
    for (const Case& c : cases) {
        OptionResult = c.optionResult;
        bool stayedOpen = false;
        // Enter and Escape arrive as IDOK and IDCANCEL and must leave the dialog open.
        INT_PTR result = RunModal({{WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}, {WM_COMMAND, c.button}}, &stayedOpen);
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_TRUE(stayedOpen) << c.name << ": IDOK or IDCANCEL ended the dialog";
    }
}

// Picks in the popup menu from another thread: the keys are pressed once the menu is up.
class MenuPicker {
public:
    explicit MenuPicker(std::vector<std::pair<WORD, bool>> keys)
        : thread_([this, keys] {
              menu_ = WaitForPopupMenu(10000);
              if (menu_ == nullptr) return;
              GetWindowRect(menu_, &menuRect_);
              Sleep(200);
              for (const auto& [key, down] : keys) {
                  if (down) {
                      KeyDown(key);
                  } else {
                      KeyUp(key);
                  }
                  Sleep(30);
              }
          }) {}
    ~MenuPicker() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    bool MenuSeen() const { return menu_ != nullptr; }
    RECT MenuRect() const { return menuRect_; }

private:
    HWND menu_ = nullptr;
    RECT menuRect_ = {};
    std::thread thread_;
};

TEST_F(OptionDialog, ARightClickRunResetsTheCountsAndDisablesOk) {
    TempDir tree;
    MakeTree(tree.path(), {"Data\\", "Data\\a.txt"});
    FilterEntryCount = 1;
    std::strcpy(FilterEntry[0].label, "All");
    std::strcpy(FilterEntry[0].patterns[0], ".*");
    FilterEntry[0].patternCount = 1;
    FilterSwitch = 0;
    RegexpSwitch = 0;
    RegexpEntryCount = 0;
    ExecEntryCount = 0;
    AllLevels = 0;
    InsideFolders = 0;
    MenuPlacement = {PlacementMode::Center, 0, 0};
    std::strcpy(TargetFolders[0], (tree / "Data").c_str());
    SetTargets(1, 0);
    ClearClipboard();
    ASSERT_NE(Open(), nullptr);
    ScreenPoint opened = MenuPosition;
    SetCursorPos(300, 400);
    {
        // The menu opens with nothing highlighted: Down reaches the first item, Shift+Enter picks it.
        MenuPicker picker({{VK_DOWN, true}, {VK_DOWN, false}, {VK_SHIFT, true}, {VK_RETURN, true},
                           {VK_RETURN, false}, {VK_SHIFT, false}});
        SendMessageA(dialog_, WM_RBUTTONUP, 0, MAKELPARAM(70, 10));
        picker.Join();
        ASSERT_TRUE(picker.MenuSeen()) << "the popup menu did not open";
        RECT menu = picker.MenuRect();
        EXPECT_EQ(menu.left, 300) << "the menu is left-aligned to the cursor";
        EXPECT_LE(std::abs((menu.top + menu.bottom) / 2 - 400), 1) << "the menu is centred on the cursor's height";
    }
    EXPECT_EQ(ClipboardText(), tree / "Data") << "the filter run delivered to the clipboard";
    EXPECT_EQ(Counts(), "Folder 0 : File 0");
    EXPECT_EQ(TargetFolderCount, 0);
    EXPECT_EQ(OptionResult, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, kOkButtonId)));
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Center) << "the placement was not restored";
    EXPECT_EQ(MenuPosition.x, opened.x);
    EXPECT_EQ(MenuPosition.y, opened.y);
    DoubleClick(true, true);
    EXPECT_EQ(Counts(), "Folder 1 : File 0") << "the targets of the run come back for another";
}

TEST_F(OptionDialog, ADismissedRightClickMenuOnlyDisablesOk) {
    FilterEntryCount = 1;
    std::strcpy(FilterEntry[0].label, "All");
    SetTargets(1, 2);
    ASSERT_NE(Open(), nullptr);
    {
        MenuPicker picker({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
        SendMessageA(dialog_, WM_RBUTTONUP, 0, MAKELPARAM(70, 10));
        picker.Join();
        ASSERT_TRUE(picker.MenuSeen()) << "the popup menu did not open";
    }
    EXPECT_EQ(Counts(), "Folder 1 : File 2");
    EXPECT_EQ(OptionResult, 1);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, kOkButtonId)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, kCancelButtonId)));
}

// The dialog on screen: its frame and the four controls where the layout puts them, and the
// pixels of each control drawn inside its rectangle.
TEST_F(OptionDialog, ScreenshotShowsTheControlsAtTheirPositions) {
    SetTargets(12, 345);
    MenuPlacement = {PlacementMode::Explicit, 300, 200};
    ASSERT_NE(Open(), nullptr);
    PumpMessages(300);
    Screenshot shot = CaptureScreen();
    TempDir folder;
    EXPECT_TRUE(shot.Save(folder / "dialog.bmp"));
    KeepScreenshot(shot, "dialog.bmp");

    POINT origin = {0, 0};
    ClientToScreen(dialog_, &origin);
    RECT frame;
    GetWindowRect(dialog_, &frame);
    EXPECT_EQ(frame.left, 300);
    EXPECT_EQ(frame.top, 200);
    EXPECT_EQ(frame.right, 440);
    EXPECT_EQ(frame.bottom, 268);
    const DWORD face = GetSysColor(COLOR_BTNFACE);
    const DWORD background = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);

    struct Expected {
        int id;
        RECT rect;  // in client coordinates
    };
    const Expected controls[] = {
        {kScopeLabelId, {0, 2, 140, 18}},
        {kCountLabelId, {0, 20, 140, 37}},
        {kOkButtonId, {7, 40, 62, 58}},
        {kCancelButtonId, {72, 40, 127, 58}},
    };
    for (const Expected& expected : controls) {
        RECT screen;
        GetWindowRect(GetDlgItem(dialog_, expected.id), &screen);
        EXPECT_EQ(screen.left, origin.x + expected.rect.left) << "control " << expected.id;
        EXPECT_EQ(screen.top, origin.y + expected.rect.top) << "control " << expected.id;
        EXPECT_EQ(screen.right, origin.x + expected.rect.right) << "control " << expected.id;
        EXPECT_EQ(screen.bottom, origin.y + expected.rect.bottom) << "control " << expected.id;
        // Text or a button edge: some pixels inside differ from the dialog's face colour.
        int drawn = 0;
        for (int y = screen.top; y < screen.bottom && y < frame.bottom; ++y) {
            for (int x = screen.left; x < screen.right && x < frame.right; ++x) {
                if (shot.At(x, y) != background) ++drawn;
            }
        }
        EXPECT_GT(drawn, 10) << "control " << expected.id << " shows nothing on screen";
    }
    // The buttons' lower edges are shaded darker than the face; the space between them is not.
    for (int id : {kOkButtonId, kCancelButtonId}) {
        RECT screen;
        GetWindowRect(GetDlgItem(dialog_, id), &screen);
        DWORD edge = shot.At((screen.left + screen.right) / 2, screen.bottom - 1);
        EXPECT_NE(edge, background) << "button " << id << " has no lower edge on screen";
    }
    EXPECT_EQ(shot.At(origin.x + 67, origin.y + 49), background) << "something is drawn between the buttons";
}

}  // namespace
