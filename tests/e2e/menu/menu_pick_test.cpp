// The popup menu of a running Korval.exe: every way of picking, what each pick delivers, the
// key-release warning, the fixed items, and where the menu opens.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/screenshot.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

constexpr char kBefore[] = "clipboard before the run";

// Moves the pointer to (x, y) and clicks there with the left or the right button.
void ClickAt(int x, int y, bool right) {
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    inputs[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(1, &inputs[0], sizeof(INPUT));
    Sleep(150);
    SendInput(1, &inputs[1], sizeof(INPUT));
    Sleep(50);
    SendInput(1, &inputs[2], sizeof(INPUT));
}

// Clicks the middle of a menu that holds one item.
void ClickOnlyItem(HWND menu, bool right) {
    RECT rect;
    GetWindowRect(menu, &rect);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, right);
}

// A target folder holding a file, and by default one [filter] entry that lets everything through,
// delivered to the recorder with "-a".
struct MenuRun {
    MenuRun() : install("") {
        MakeTree(tree.path(), {"Data\\", "Data\\a.txt", "b2008.txt"});
        recorder = install.InstallRecorder();
        Settings("[filter]\r\nAll | rec\r\n>.*\r\n%end\r\n[exec]\r\n" + recorder + " | rec\r\n>-a\r\n%end\r\n");
        target = tree / "Data";
        file = tree / "b2008.txt";
        SetClipboardText(kBefore);
    }

    void Settings(const std::string& text) { WriteBytes(install.settingsPath(), text); }

    // Starts Korval with `arguments` (the target folder when empty) and waits for its menu.
    HWND Start(const std::string& extra = "", const std::string& arguments = "") {
        process.emplace(install.exe(), (arguments.empty() ? "\"" + target + "\"" : arguments) + extra,
                        install.folder());
        return WaitForPopupMenu();
    }

    bool Ended() { return process->Wait(20000).has_value(); }

    bool RecorderStarted() const { return PathFileExistsA((install.folder() + "\\record.txt").c_str()) != FALSE; }

    TempDir tree;
    KorvalInstall install;
    std::string recorder;
    std::string target;
    std::string file;
    std::optional<KorvalProcess> process;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(MenuPick, APlainPickStartsTheProgramWithThePaths) {
    MenuRun run;
    ASSERT_NE(run.Start(), nullptr) << "the menu did not open";
    TapKey(VK_RETURN);
    ASSERT_TRUE(run.Ended());
    auto commandLine = run.install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the program was not started";
    EXPECT_TRUE(EndsWith(*commandLine, " -a " + run.target)) << *commandLine;
    EXPECT_EQ(ClipboardText().value_or(""), kBefore);
}

TEST(MenuPick, ShiftPutsTheListOnTheClipboard) {
    MenuRun run;
    ASSERT_NE(run.Start(), nullptr) << "the menu did not open";
    KeyDown(VK_SHIFT);
    TapKey(VK_RETURN);
    Sleep(100);
    KeyUp(VK_SHIFT);
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(ClipboardText().value_or(""), run.target);
    EXPECT_FALSE(run.RecorderStarted()) << "a Shift pick started the program";
}

TEST(MenuPick, TheRightButtonPutsTheListOnTheClipboard) {
    MenuRun run;
    HWND menu = run.Start();
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    ClickOnlyItem(menu, true);
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(ClipboardText().value_or(""), run.target);
    EXPECT_FALSE(run.RecorderStarted()) << "a right-button pick started the program";
}

TEST(MenuPick, CtrlWithTheRightButtonStartsTheProgramAfterTheCopy) {
    MenuRun run;
    HWND menu = run.Start();
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    KeyDown(VK_CONTROL);
    ClickOnlyItem(menu, true);
    Sleep(100);
    KeyUp(VK_CONTROL);
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(ClipboardText().value_or(""), run.target);
    auto commandLine = run.install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the program was not started after the copy";
    EXPECT_TRUE(EndsWith(*commandLine, " -a")) << "started with more than its argument line: " << *commandLine;
}

TEST(MenuPick, EscapeEndsWithNothingDelivered) {
    MenuRun run;
    ASSERT_NE(run.Start(), nullptr) << "the menu did not open";
    TapKey(VK_ESCAPE);
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(ClipboardText().value_or(""), kBefore);
    Sleep(500);
    EXPECT_FALSE(run.RecorderStarted());
}

TEST(MenuPick, AKeyHeldAfterThePickIsWarnedAboutUntilReleased) {
    MenuRun run;
    HWND menu = run.Start();
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    KeyDown(VK_CONTROL);
    ClickOnlyItem(menu, false);
    // About 300 passes of 10 ms go by before the warning.
    auto warning = WaitForDialog(run.process->id(), 15000);
    ASSERT_TRUE(warning.has_value()) << "no warning while Ctrl was held";
    EXPECT_EQ(warning->title, "注意");
    EXPECT_EQ(warning->text, "キーを開放してください！");
    EXPECT_FALSE(run.RecorderStarted()) << "the run started before the key was released";
    KeyUp(VK_CONTROL);
    PressButton(warning->window, IDOK);
    ASSERT_TRUE(run.Ended());
    // Ctrl alone leaves the output mode as it was: the program receives the paths.
    auto commandLine = run.install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the program was not started";
    EXPECT_TRUE(EndsWith(*commandLine, " -a " + run.target)) << *commandLine;
}

// The first pattern of the picked entry decides what is collected; without a program to start,
// even a plain pick goes to the clipboard.
TEST(MenuPick, TheEntrysFirstPatternDecidesWhatIsCollected) {
    struct Case {
        const char* patterns;
        bool folder;
        bool file;
    };
    const Case cases[] = {
        {"Folders;.txt", true, false},
        {"file*.txt", false, true},
        {".*", true, true},
        {".TXT", false, true},
    };
    for (const Case& c : cases) {
        MenuRun run;
        run.Settings(std::string("[filter]\r\nPicked\r\n>") + c.patterns + "\r\n%end\r\n");
        ASSERT_NE(run.Start("", "\"" + run.target + "\" \"" + run.file + "\""), nullptr) << c.patterns;
        TapKey(VK_RETURN);
        ASSERT_TRUE(run.Ended()) << c.patterns;
        std::string expected = c.folder ? run.target : "";
        if (c.file) expected += (expected.empty() ? "" : "\r\n") + run.file;
        EXPECT_EQ(ClipboardText().value_or(""), expected) << c.patterns;
    }
}

// A [regexp] pick runs a content search with the library, or says that it cannot.
TEST(MenuPick, ARegexpPickSearchesWithTheLibraryOrSaysItCannot) {
    for (bool library : {true, false}) {
        MenuRun run;
        run.Settings("[filter]\r\nAll\r\n>.*\r\n%end\r\n[regexp]\r\nDigits\r\n>m/[0-9]+/\r\n%end\r\n");
        if (library) run.install.CopyRegexpLibrary();
        ASSERT_NE(run.Start("", "\"" + run.target + "\" \"" + run.file + "\""), nullptr) << library;
        TapKey('A');
        if (library) {
            ASSERT_TRUE(run.Ended());
            EXPECT_EQ(ClipboardText().value_or(""), run.file) << "only the file whose name holds digits";
            continue;
        }
        auto box = WaitForDialog(run.process->id());
        ASSERT_TRUE(box.has_value()) << "no message without the library";
        EXPECT_EQ(box->title, "Korval");
        EXPECT_EQ(box->text, "正規表現検索ができません！");
        PressButton(box->window, IDOK);
        ASSERT_TRUE(run.Ended());
        EXPECT_EQ(ClipboardText().value_or(""), kBefore);
    }
}

// A bare "/#r" with a pattern list from "/#f=": the [regexp] entries and the pattern note, which
// does nothing when chosen.
TEST(MenuPick, ThePatternNoteOfABareRegexpMenuDoesNothing) {
    MenuRun run;
    WriteBytes(run.install.settingsPath(),
               "[filter]\r\nAll\r\n>.*\r\n%end\r\n[regexp]\r\nDates\r\n>[0-9]+\r\n%end\r\n[exec]\r\n" + run.recorder +
                   "\r\n>-a\r\n%end\r\n");
    HWND menu = run.Start(" /#f=\".txt;.log\" /#r");
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    RECT rect;
    GetWindowRect(menu, &rect);
    // Two text items and a separator: clearly taller than one item.
    EXPECT_GT(rect.bottom - rect.top, 36) << "the menu lacks its pattern note";
    // The first item is highlighted; Up wraps round to the last, the note.
    TapKey(VK_UP);
    TapKey(VK_RETURN);
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(ClipboardText().value_or(""), kBefore);
    Sleep(500);
    EXPECT_FALSE(run.RecorderStarted());
}

TEST(FixedMenu, VersionShowsTheVersionBox) {
    KorvalInstall install("");
    KorvalProcess process(install.exe(), "", install.folder());
    ASSERT_NE(WaitForPopupMenu(), nullptr) << "the fixed-item menu did not open";
    TapKey('V');
    auto box = WaitForDialog(process.id());
    ASSERT_TRUE(box.has_value()) << "no version box";
    EXPECT_EQ(box->title, "バージョン情報");
    EXPECT_EQ(box->text, "「Korval」Ver.2.04\r\n\r\n 2008年09月26日");
    PressButton(box->window, IDOK);
    EXPECT_TRUE(process.Wait().has_value());
}

TEST(FixedMenu, TheSettingsFileItemOpensItInTheEditor) {
    KorvalInstall install("");
    std::string editor = install.InstallRecorder();
    WriteBytes(install.settingsPath(), "[system]\r\n@editor=" + editor + "\r\n%end\r\n");
    KorvalProcess process(install.exe(), "", install.folder());
    ASSERT_NE(WaitForPopupMenu(), nullptr) << "the fixed-item menu did not open";
    TapKey('1');
    ASSERT_TRUE(process.Wait().has_value());
    auto commandLine = install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the editor was not started";
    EXPECT_TRUE(EndsWith(*commandLine, " " + install.settingsPath())) << *commandLine;
    EXPECT_EQ(install.RecordedFolder().value_or(""), install.folder());
}

// Drop opens the option dialog; OK brings the menu back, with the entry items, on the same point.
TEST(FixedMenu, DropOpensTheDialogAndThenTheMenuAgain) {
    KorvalInstall install("[filter]\r\nAll\r\n>.*\r\n%end\r\n");
    KorvalProcess process(install.exe(), "", install.folder());
    HWND first = WaitForPopupMenu();
    ASSERT_NE(first, nullptr) << "the fixed-item menu did not open";
    RECT firstRect;
    GetWindowRect(first, &firstRect);
    TapKey('D');
    auto dialog = WaitForDialog(process.id());
    ASSERT_TRUE(dialog.has_value()) << "the option dialog did not open";
    ASSERT_NE(GetDlgItem(dialog->window, 200), nullptr) << "not the option dialog";
    RECT dialogRect;
    GetWindowRect(dialog->window, &dialogRect);
    // The dialog's corner sits where the first menu was centred.
    EXPECT_LE(std::abs(dialogRect.left - (firstRect.left + firstRect.right) / 2), 1);
    EXPECT_LE(std::abs(dialogRect.top - (firstRect.top + firstRect.bottom) / 2), 1);
    PressButton(dialog->window, 200);
    Sleep(500);
    HWND second = WaitForPopupMenu();
    ASSERT_NE(second, nullptr) << "the menu did not come back after OK";
    RECT secondRect;
    GetWindowRect(second, &secondRect);
    EXPECT_LE(std::abs((secondRect.left + secondRect.right) - (firstRect.left + firstRect.right)), 2);
    EXPECT_LE(std::abs((secondRect.top + secondRect.bottom) - (firstRect.top + firstRect.bottom)), 2);
    // One entry item now, not the six fixed items.
    EXPECT_LT(secondRect.bottom - secondRect.top, firstRect.bottom - firstRect.top);
    TapKey(VK_ESCAPE);
    EXPECT_TRUE(process.Wait().has_value());
}

TEST(FixedMenu, ACancelledDropEndsTheRun) {
    KorvalInstall install("[filter]\r\nAll\r\n>.*\r\n%end\r\n");
    KorvalProcess process(install.exe(), "", install.folder());
    ASSERT_NE(WaitForPopupMenu(), nullptr) << "the fixed-item menu did not open";
    TapKey('D');
    auto dialog = WaitForDialog(process.id());
    ASSERT_TRUE(dialog.has_value()) << "the option dialog did not open";
    PressButton(dialog->window, 201);
    EXPECT_TRUE(process.Wait(10000).has_value()) << "the menu came back after CANCEL";
}

// Where the first menu opens for the placements that do not centre it.
TEST(MenuPlacement, ExplicitAndMousePlacementsPutTheTopLeftCornerOnThePoint) {
    struct Case {
        const char* setting;
        int x;
        int y;
    };
    const Case cases[] = {{"200,150", 200, 150}, {"mouse", 333, 222}};
    for (const Case& c : cases) {
        KorvalInstall install(std::string("[system]\r\n@menu=") + c.setting + "\r\n%end\r\n");
        SetCursorPos(333, 222);
        KorvalProcess process(install.exe(), "", install.folder());
        HWND menu = WaitForPopupMenu();
        ASSERT_NE(menu, nullptr) << c.setting << ": the menu did not open";
        RECT rect;
        GetWindowRect(menu, &rect);
        EXPECT_EQ(rect.left, c.x) << c.setting;
        EXPECT_EQ(rect.top, c.y) << c.setting;
        TapKey(VK_ESCAPE);
        EXPECT_TRUE(process.Wait().has_value()) << c.setting;
    }
}

// Without a placement the menu is centred on the window that was in front when Korval started.
TEST(MenuPlacement, TheMenuIsCentredOnTheWindowInFrontAtStart) {
    HWND front = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 120, 301, 201,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(front, nullptr);
    SetForegroundWindow(front);
    PumpMessages(200);
    KorvalInstall install("");
    KorvalProcess process(install.exe(), "", install.folder());
    HWND menu = WaitForPopupMenu();
    DestroyWindow(front);
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    RECT rect;
    GetWindowRect(menu, &rect);
    EXPECT_LE(std::abs((rect.left + rect.right) / 2 - 250), 1) << rect.left << ".." << rect.right;
    EXPECT_LE(std::abs((rect.top + rect.bottom) / 2 - 220), 1) << rect.top << ".." << rect.bottom;
    TapKey(VK_ESCAPE);
    EXPECT_TRUE(process.Wait().has_value());
}

// The fixed menu on screen, centred on the screen centre, with its first item highlighted.
TEST(MenuPlacement, ScreenshotShowsTheCentredMenuWithItsFirstItemHighlighted) {
    KorvalInstall install("[system]\r\n@menu=center\r\n%end\r\n");
    KorvalProcess process(install.exe(), "", install.folder());
    HWND menu = WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    Sleep(700);
    Screenshot shot = CaptureScreen();
    TempDir folder;
    EXPECT_TRUE(shot.Save(folder / "menu.bmp"));
    KeepScreenshot(shot, "menu.bmp");
    RECT rect;
    GetWindowRect(menu, &rect);
    int centreX = GetSystemMetrics(SM_CXSCREEN) / 2;
    int centreY = GetSystemMetrics(SM_CYMAXIMIZED) / 2;
    EXPECT_LE(std::abs((rect.left + rect.right) / 2 - centreX), 1);
    EXPECT_LE(std::abs((rect.top + rect.bottom) / 2 - centreY), 1);

    DWORD highlight = GetSysColor(COLOR_HIGHLIGHT);
    DWORD highlightPixel = ((highlight & 0xFF) << 16) | (highlight & 0xFF00) | ((highlight >> 16) & 0xFF);
    // Rows of the menu that show the highlight colour: those of the first item only.
    int firstRow = -1;
    int lastRow = -1;
    for (int y = rect.top; y < rect.bottom; ++y) {
        if (shot.At((rect.left + rect.right) / 2, y) == highlightPixel) {
            if (firstRow < 0) firstRow = y;
            lastRow = y;
        }
    }
    ASSERT_GE(firstRow, 0) << "no item is highlighted";
    EXPECT_LT(firstRow - rect.top, 6) << "the highlight is not on the first item";
    EXPECT_LT(lastRow - firstRow, (rect.bottom - rect.top) / 3) << "the highlight covers more than one item";
    // Outside the menu the screen is untouched desktop.
    EXPECT_NE(shot.At(rect.right + 3, (rect.top + rect.bottom) / 2), highlightPixel);
    TapKey(VK_ESCAPE);
    EXPECT_TRUE(process.Wait().has_value());
}

}  // namespace
