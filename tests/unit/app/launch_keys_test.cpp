// The launch keys, sampled while the main window is created: Shift gives the inside of the
// target folders, Ctrl the option dialog, "/#k=sft" and "/#k=ctl" reverse them, "@sub" wins.

#include "app/app.h"
#include "support/wine_test.h"

// A main window created as the program creates it, with the keys down in this thread's key state;
// returns InsideFolders, OpenOptionDialog and AllLevels as digits, and destroys the window again.
static std::string CreateWithKeys(bool shift, bool ctrl, const char* commandLine, const std::string& settings) {
    TempDir folder;
    WriteBytes(folder / "Korval.ini", settings);
    lstrcpyA(OwnPath, (folder / "Korval.exe").c_str());
    lstrcpyA(DefaultSettingsName, "Korval.ini");
    static char text[256];
    lstrcpyA(text, commandLine);
    CommandLineText = text;
    BYTE keys[256] = {};
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.lpszClassName = "KorvalLaunchKeysTest";
    RegisterClassA(&windowClass);
    DestroyWindow(CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 32, 32, nullptr, nullptr,
                                  nullptr, nullptr));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    BYTE clear[256] = {};
    SetKeyboardState(clear);
    return std::to_string(InsideFolders) + std::to_string(OpenOptionDialog) + std::to_string(AllLevels);
}

TEST(LaunchKeys, KeysTheirSwitchesAndSub) {
    const std::string sub = "[system]\r\n@sub\r\n%end\r\n";
    struct Case {
        bool shift, ctrl;
        const char* commandLine;
        std::string settings;
        const char* expected;  // InsideFolders, OpenOptionDialog, AllLevels
    } cases[] = {
        {false, false, "", "", "000"},           {true, false, "", "", "100"},
        {false, true, "", "", "010"},            {false, false, "/#k=sft", "", "100"},
        {true, false, "/#K=SFT", "", "000"},     {false, false, "/#k=ctl", "", "010"},
        {true, true, "x /#k=ctl /#k=sft", "", "000"}, {true, false, "/#k=sft", sub, "101"},
        {false, false, "", sub, "101"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateWithKeys(c.shift, c.ctrl, c.commandLine, c.settings), c.expected)
            << "shift " << c.shift << ", ctrl " << c.ctrl << ", '" << c.commandLine << "', settings '"
            << c.settings << "'";
    }
}
