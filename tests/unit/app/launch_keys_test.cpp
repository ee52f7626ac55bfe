// The launch keys, sampled while the main window is created: Shift gives the inside of the
// target folders, Ctrl the option dialog, and "/#k=sft" / "/#k=ctl" reverse them.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "common/tables.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

struct LaunchState {
    int insideFolders;
    int openOptionDialog;
    int allLevels;
};

// Creates a main window the way the program does, with the given keys down in this thread's
// key state, and reports the flags its creation left; the window is destroyed again at once.
LaunchState CreateWithKeys(bool shift, bool ctrl, const std::string& commandLine, const std::string& settings) {
    TempDir folder;
    WriteBytes(folder / "Korval.ini", settings);
    lstrcpyA(OwnPath, (folder / "Korval.exe").c_str());
    lstrcpyA(DefaultSettingsName, "Korval.ini");
    static char text[1024];
    lstrcpyA(text, commandLine.c_str());
    CommandLineText = text;
    MenuPlacement.mode = PlacementMode::Unset;

    BYTE keys[256] = {};
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);

    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KorvalLaunchKeysTest";
        registered = RegisterClassA(&windowClass) != 0;
    }
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "KorvalLaunchKeysTest", "", WS_POPUP, 0, 0, 32, 32,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    LaunchState state{InsideFolders, OpenOptionDialog, AllLevels};
    if (window != nullptr) DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    BYTE clear[256] = {};
    SetKeyboardState(clear);
    return state;
}

}  // namespace

TEST(LaunchKeys, KeysAndTheirSwitchesGiveTheScopeAndTheDialog) {
    struct Case {
        bool shift;
        bool ctrl;
        const char* commandLine;
        int inside;
        int dialog;
    } cases[] = {
        {false, false, "", 0, 0},
        {true, false, "", 1, 0},
        {false, true, "", 0, 1},
        {true, true, "", 1, 1},
        {false, false, "/#k=sft", 1, 0},
        {true, false, "/#k=sft", 0, 0},
        {false, false, "/#K=CTL", 0, 1},
        {false, true, "/#k=ctl", 0, 0},
        {true, true, "x /#k=ctl /#k=sft", 0, 0},
    };
    for (const Case& c : cases) {
        LaunchState state = CreateWithKeys(c.shift, c.ctrl, c.commandLine, "");
        SCOPED_TRACE(std::string("shift ") + (c.shift ? "down" : "up") + ", ctrl " + (c.ctrl ? "down" : "up") +
                     ", command line '" + c.commandLine + "'");
        EXPECT_EQ(state.insideFolders, c.inside);
        EXPECT_EQ(state.openOptionDialog, c.dialog);
        EXPECT_EQ(state.allLevels, 0);
    }
}

TEST(LaunchKeys, SubInTheSettingsWinsOverTheShiftKey) {
    for (bool shift : {false, true}) {
        for (const char* commandLine : {"", "/#k=sft"}) {
            LaunchState state = CreateWithKeys(shift, false, commandLine, "[system]\r\n@sub\r\n%end\r\n");
            SCOPED_TRACE(std::string("shift ") + (shift ? "down" : "up") + ", command line '" + commandLine + "'");
            EXPECT_EQ(state.insideFolders, 1);
            EXPECT_EQ(state.allLevels, 1);
        }
    }
}
