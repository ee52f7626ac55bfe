// Korval.exe as a real process: it ends by itself, follows its own file name, and each command
// line takes its road (menu, named run, option dialog, message, clipboard input), and a settings
// file that cannot be read stops it.

#include "support/wine_test.h"

// Shift+Enter picks the first item, which Korval highlights.
void ShiftEnter(HWND menu) {
    EXPECT_TRUE(WaitForFirstItemHighlighted(menu)) << "no item highlighted\n" << ScreenReport();
    HeldKey shift(VK_SHIFT);
    TapKey(VK_RETURN);
    WaitForPopupMenuToClose(menu);
}

TEST(Roads, EachCommandLineTakesItsRoad) {
    TempDir tree;
    MakeTree(tree.path(), {"docs\\", "docs\\a.txt", "b.log", "My Folder\\", "My Folder\\c d.txt"});
    const std::string a = tree / "docs\\a.txt", b = tree / "b.log", docs = tree / "docs";
    const std::string targets = Quoted(a) + " " + Quoted(b);
    const std::string settings =
        "[filter]\r\nText\r\n>.txt\r\nLogs\r\n>.log\r\n%end\r\n[regexp]\r\nAny\r\n>.\r\n%end\r\n";
    const std::string untouched = "exit 0\nclipboard: untouched", menu = "menu\n" + untouched;
    // A message box is confirmed, the option dialog cancelled, and a menu closed with Esc unless
    // the row picks. Empty settings stand for a folder in place of the settings file.
    // `before` is the clipboard at start.
    struct Case {
        const char* name;
        std::string settings, arguments, seen, before = "untouched";
        void (*pick)(HWND) = nullptr;
        int answer = IDOK;
    } cases[] = {
        {"a folder in place of the settings file stops it", "", targets, "box Korval: 設定ファイル異常\n" + untouched},
        {"a named filter runs without a menu", settings, "/#f=\"text\" /#e1 " + targets, "exit 0\nclipboard: " + a},
        {"a named filter with a bare /#r: menu", settings, "/#f=\"Text\" /#r " + targets, menu},
        {"bare /#f: menu", settings, "/#f " + targets, menu},
        {"a one-letter name is not taken: menu", settings, "/#f=\"T\" " + targets, menu},
        {"no target: the fixed menu", settings, "/#f=\"Text\"", menu},
        {"no [filter] entries: a message", "[regexp]\r\nAny\r\n>.\r\n%end\r\n", targets,
         "box Korval: フィルタを設定してください！\n" + untouched},
        {"a folder alone is not looked into", settings, "/#f=\"Text\" /#e1 " + Quoted(docs),
         "box Korval: 対象データがありません！\n" + untouched},
        {"/#k=ctl reverses Ctrl: the dialog, cancelled", settings, "/#k=ctl /#f=\"Text\" /#e1 " + targets,
         "dialog\n" + untouched, "untouched", nullptr, kCancelButtonId},
        {"an unquoted line naming one file with blanks", settings, tree / "My Folder\\c d.txt",
         "menu\nexit 0\nclipboard: " + tree / "My Folder\\c d.txt", "untouched", ShiftEnter},
        {"/#c reads the clipboard without targets", settings, "/#c /#f=\"Logs\" /#e1", "exit 0\nclipboard: " + b, b},
        {"/#c with a target leaves the clipboard alone", settings, "/#c /#f=\".txt;.log\" /#e1 " + Quoted(b),
         "exit 0\nclipboard: " + b, a},
    };
    for (const Case& c : cases) {
        KorvalInstall install(c.settings);
        if (c.settings.empty()) DeleteFileA(install.settingsPath().c_str()), MakeFolder(install.settingsPath());
        SetClipboardText(c.before);
        EXPECT_EQ(install.Run(c.arguments, c.answer, c.pick), c.seen) << c.name;
    }
}

// A copy under another name keeps its own class, title and settings file, but the help text
// stays Korval.txt; the hidden main window is never shown.
TEST(Roads, ARenamedProgramFollowsItsNameButKeepsItsHelpText) {
    KorvalInstall install("", "Filt.exe");
    const std::string editor = install.InstallRecorder(), menu = "menu\nexit 0\nclipboard: untouched";
    DeleteFileA(install.settingsPath().c_str());
    SetClipboardText("untouched");
    for (WORD key : {WORD(VK_ESCAPE), WORD('H')}) {
        EXPECT_EQ(install.Run("", IDOK, [&](HWND) {
            HWND main = FindWindowA("Filt", nullptr);
            EXPECT_TRUE(main != nullptr && WindowText(main) == "Filt" && !IsWindowVisible(main));
            TapKey(key);
        }), key == VK_ESCAPE ? menu : menu + "\nstarted: " + install.folder() + "\\Korval.txt");
        EXPECT_TRUE(key != VK_ESCAPE || ReadBytes(install.settingsPath()).value_or("missing").empty()) << "Filt.ini, empty";
        WriteBytes(install.settingsPath(), "[system]\r\n@editor=" + editor + "\r\n%end\r\n");
    }
}

// A copy named K.exe in a folder of 250 bytes: its own K.ini still fits beside it and is read and
// opened, but Korval.txt (and Korval.ini) would need 261 bytes, so the help item opens nothing. The
// editor for the help item idles until it is ended, so a start is still there when Korval has ended.
TEST(Roads, InAFolderTooDeepForTheHelpTextTheHelpItemStartsNothing) {
    TempDir root;
    KorvalInstall tools("");
    const std::string folder = MakeDeepFolder(root.path(), 250), exe = folder + "\\K.exe";
    const std::string recorder = tools.InstallRecorder(), viewer = tools.folder() + "\\help-viewer.exe";
    ASSERT_TRUE(CopyFileA((BinFolder() + "Korval.exe").c_str(), exe.c_str(), FALSE) &&
                CopyFileA((BinFolder() + "keepalive.exe").c_str(), viewer.c_str(), FALSE));
    for (const auto& [key, editor] : {std::make_pair('1', recorder), std::make_pair('H', viewer)}) {
        WriteBytes(folder + "\\K.ini", "[system]\r\n@editor=" + editor + "\r\n%end\r\n");
        KorvalProcess process(exe, "", folder);
        ASSERT_NE(WaitForPopupMenu(), nullptr) << "the fixed-item menu did not open\n" << ScreenReport();
        TapKey(static_cast<WORD>(key));
        ASSERT_EQ(process.ExpectEnd().value_or(99), 0u) << key;
    }
    EXPECT_EQ(EndProcessesNamed("help-viewer.exe"), 0) << "the help item started its editor";
    const std::string commandLine = tools.RecordedCommandLine().value_or(""), settings = " " + folder + "\\K.ini";
    EXPECT_TRUE(commandLine.size() > settings.size() && commandLine.rfind(settings) == commandLine.size() - settings.size())
        << "the settings item opens K.ini in the editor that K.ini names: " << commandLine;
}
