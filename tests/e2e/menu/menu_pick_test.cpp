// Korval.exe's popup menu from outside: what each way of picking delivers, the messages, and Drop.

#include "support/wine_test.h"

// Each row picks with `keys` (a mouse button clicks the middle of the menu, which then holds a
// single item) while `held` is down. A message expected meanwhile is read and answered once the
// key is up, and nothing may be carried out before. The [filter] entry lets folders through only
// and alone has a program; the expression matches the file's name, and without a program to start
// even a plain pick copies. The targets are a folder holding a file, and a file whose name holds
// digits; the program is the recorder, given "-a". Up wraps round to the pattern note of a bare
// "/#r", which does nothing.
TEST(MenuPick, EachPickDeliversWhereItShould) {
    const char* folders = "[filter]\r\nFolders | rec\r\n>Folders;.txt\r\n%end\r\n";
    const char* digits = "[filter]\r\nAll\r\n>.*\r\n%end\r\n[regexp]\r\nDigits\r\n>m/[0-9]+/\r\n%end\r\n";
    const char* warning = "注意: キーを開放してください！";
    // `switches` follow the two targets, or stand for no argument at all when null; `held` is 0 for
    // none; `message` is "title: text", or "" for none; `clipboard` is b for the text before the run,
    // d for the folder, f for the file; `started` is the program, with the paths unless they were
    // copied, when it starts in Korval's working folder, the one above Korval's own.
    struct Case {
        const char* name; const char* sections; bool library; const char* switches; WORD held;
        std::vector<WORD> keys; const char* message; char clipboard; bool started;
    };
    const Case cases[] = {
        {"plain Enter", folders, false, "", 0, {VK_RETURN}, "", 'b', true},
        {"Shift+Enter", folders, false, "", VK_SHIFT, {VK_RETURN}, "", 'd', false},
        {"right button", folders, false, "", 0, {VK_RBUTTON}, "", 'd', false},
        {"Ctrl, left button", folders, false, "", VK_CONTROL, {VK_LBUTTON}, warning, 'b', true},
        {"Ctrl, right button", folders, false, "", VK_CONTROL, {VK_RBUTTON}, warning, 'd', true},
        {"Escape", folders, false, "", 0, {VK_ESCAPE}, "", 'b', false},
        {"expression", digits, true, "", 0, {'A'}, "", 'f', false},
        {"no library", digits, false, "", 0, {'A'}, "Korval: 正規表現検索ができません！", 'b', false},
        {"pattern note", digits, true, " /#f=\".txt;.log\" /#r", 0, {VK_UP, VK_RETURN}, "", 'b', false},
        {"version", "", false, nullptr, 0, {'V'}, "バージョン情報: 「Korval」Ver.2.04\r\n\r\n 2008年09月26日", 'b', false},
    };
    // One run of a row through the shared driver: what it showed, and what it should have shown;
    // `lost` when the held key was seen up while the run read it.
    auto runRow = [folders](const Case& c, bool& lost) -> std::pair<std::string, std::string> {
        TempDir tree;
        MakeTree(tree.path(), {"Data\\", "Data\\a.txt", "b2008.txt"});
        const std::string folder = tree / "Data", file = tree / "b2008.txt", before = "clipboard before the run";
        KorvalInstall install("");
        const std::string exec = "[exec]\r\n" + install.InstallRecorder() + " | rec\r\n>-a\r\n%end\r\n";
        WriteBytes(install.settingsPath(), c.sections + (c.sections == folders ? exec : ""));
        if (c.library) install.CopyRegexpLibrary();
        SetClipboardText(before);
        lost = false;
        std::string seen;  // what went wrong while the menu was picked from
        auto pick = [&](HWND menu) {
            // Taken while the menu is up: once a key has closed it, the window may be gone.
            const DWORD id = ProcessOf(menu);
            // Enter and Up start from the first item, which Korval highlights; the key is held while
            // the pointer is parked, away from Korval's windows.
            if ((c.keys.front() == VK_RETURN || c.keys.front() == VK_UP) && !WaitForFirstItemHighlighted(menu)) {
                seen += "no item highlighted\n" + ScreenReport();
            }
            std::optional<HeldKey> held;
            if (c.held != 0) held.emplace(c.held);
            for (WORD key : c.keys) (key == VK_LBUTTON || key == VK_RBUTTON) ? Click(menu, key) : TapKey(key);
            // Held keys are read once the menu has closed; a message comes while they are still down,
            // and none will once Wine has let go of the key. The driver answers it once they are up.
            if (*c.message ? !WaitUntil(kWindowDeadline, [&] { return WaitForDialog(id, 0) || (held && held->Lost()); })
                           : !WaitForPopupMenuToClose(menu)) {
                seen += (*c.message ? "no message came" : "the menu stayed") +
                        std::string(held ? " (Wine's key state showed the key held throughout)\n" : "\n") + ScreenReport();
            }
            if (*c.message && install.RecorderStarted()) seen += "the program started before the answer\n";
            lost = held && held->Lost();
        };
        seen += install.Run(c.switches ? Quoted(folder) + " " + Quoted(file) + c.switches : "", IDOK, pick);
        const std::string above = install.folder().substr(0, install.folder().rfind('\\'));
        return {seen, "menu\n" + (*c.message ? "box " + std::string(c.message) + "\n" : "") + "exit 0\nclipboard: " +
                          (c.clipboard == 'd' ? folder : c.clipboard == 'f' ? file : before) +
                          (!c.started ? "" : c.clipboard == 'b' ? "\nstarted: -a " + folder : "\nstarted: -a in " + above)};
    };
    constexpr int kTries = 3;
    for (const Case& c : cases) {
        // A run in which Wine let go of the held key proves nothing about Korval: it runs again.
        bool lost = true;
        std::pair<std::string, std::string> seen;
        for (int attempt = 1; lost && attempt <= kTries; ++attempt) {
            seen = runRow(c, lost);
            if (lost) std::printf("%s: Wine let go of the held key during run %d\n", c.name, attempt);
        }
        ASSERT_FALSE(lost) << c.name << ": Wine let go of the held key in each of " << kTries << " runs";
        EXPECT_EQ(seen.first, seen.second) << c.name;
    }
}

// Drop opens the option dialog; OK brings the menu back, centred on the same point, with the one
// entry item, and CANCEL ends the run.
TEST(FixedMenu, DropOpensTheDialogAndOnlyOkBringsTheMenuBack) {
    KorvalInstall install("[filter]\r\nAll\r\n>.*\r\n%end\r\n");
    for (int button : {kOkButtonId, kCancelButtonId}) {
        std::vector<RECT> menus;
        auto pick = [&](HWND menu) {
            GetWindowRect(menu, &menus.emplace_back());
            TapKey(menus.size() == 1 ? 'D' : VK_ESCAPE);
        };
        SetClipboardText("untouched");
        EXPECT_EQ(install.Run("", button, pick),
                  (button == kOkButtonId ? "menu\ndialog\nmenu\n" : "menu\ndialog\n") + std::string("exit 0\nclipboard: untouched"));
        if (menus.size() < 2) continue;
        // Twice the centres' coordinates, which rounding may set 1 apart.
        EXPECT_LE(std::abs(menus[1].left + menus[1].right - menus[0].left - menus[0].right), 2) << "not centred alike";
        EXPECT_LE(std::abs(menus[1].top + menus[1].bottom - menus[0].top - menus[0].bottom), 2) << "not centred alike";
        EXPECT_LT(menus[1].bottom - menus[1].top, menus[0].bottom - menus[0].top) << "still the six fixed items";
    }
}
