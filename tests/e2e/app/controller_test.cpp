// The roads a start takes: launch keys and their switches, and the run controller's decisions,
// seen from outside on a real Korval.exe.
#include <gtest/gtest.h>

#include <string>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

constexpr char kOneFilter[] = "[filter]\r\nText\r\n>.txt\r\n%end\r\n";
constexpr char kEmptyResult[] = "対象データがありません！";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// What one start delivered: the clipboard text, or the title and text of the box it showed.
struct Outcome {
    bool ended = false;
    std::string clipboard;
    std::string boxTitle;
    std::string boxText;
    bool menuShown = false;
};

// Runs Korval to its end; a message box is read and confirmed, a menu is closed with Escape.
Outcome RunToEnd(const KorvalInstall& install, const std::string& arguments) {
    SetClipboardText("untouched");
    Outcome outcome;
    KorvalProcess process(install.exe(), arguments, install.folder());
    for (int i = 0; i < 400 && !process.Wait(50).has_value(); ++i) {
        if (auto box = WaitForDialog(process.id(), 0)) {
            outcome.boxTitle = box->title;
            outcome.boxText = box->text;
            PressButton(box->window, IDOK);
        } else if (HWND menu = FindWindowA("#32768", nullptr); menu && IsWindowVisible(menu)) {
            outcome.menuShown = true;
            TapKey(VK_ESCAPE);
        }
    }
    outcome.ended = process.Wait(0).has_value();
    outcome.clipboard = ClipboardText().value_or("");
    return outcome;
}

}  // namespace

// The launch keys cannot be held for another process under Wine (a new thread starts with a
// clear key state there), so these runs show the switches' side; the key side is tested in-process.
TEST(LaunchKeys, TheShiftSwitchMakesTheRunLookInsideTheTargetFolders) {
    TempDir tree;
    MakeTree(tree.path(), {"docs\\", "docs\\a.txt"});
    KorvalInstall install(kOneFilter);
    struct Case {
        const char* extra;
        bool inside;
    } cases[] = {
        {"", false},
        {" /#k=sft", true},
        {" /#K=SFT", true},
    };
    for (const Case& c : cases) {
        Outcome outcome = RunToEnd(install, "/#f=\"Text\" /#e1 " + Quoted(tree / "docs") + c.extra);
        SCOPED_TRACE(std::string("switches '") + c.extra + "'");
        ASSERT_TRUE(outcome.ended);
        if (c.inside) {
            EXPECT_EQ(outcome.clipboard, tree / "docs\\a.txt");
            EXPECT_EQ(outcome.boxText, "");
        } else {
            EXPECT_EQ(outcome.clipboard, "untouched");
            EXPECT_EQ(outcome.boxText, kEmptyResult);
            EXPECT_EQ(outcome.boxTitle, "Korval");
        }
    }
}

// "/#k=ctl" opens the option dialog; cancelling it ends the run: no menu, no filter run.
TEST(LaunchKeys, TheCtrlSwitchOpensTheOptionDialogAndCancelEndsTheRun) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt"});
    KorvalInstall install(kOneFilter);
    SetClipboardText("untouched");
    KorvalProcess process(install.exe(), "/#f=\"Text\" /#e1 " + Quoted(tree / "a.txt") + " /#k=ctl",
                          install.folder());
    auto dialog = WaitForDialog(process.id());
    ASSERT_TRUE(dialog.has_value()) << "the option dialog did not open";
    ASSERT_NE(GetDlgItem(dialog->window, 201), nullptr) << "no CANCEL button";
    EXPECT_EQ(WindowText(GetDlgItem(dialog->window, 201)), "&CANCEL");
    PressButton(dialog->window, 201);
    ASSERT_TRUE(process.Wait().has_value());
    EXPECT_EQ(ClipboardText().value_or(""), "untouched");
}

// Which road each command line takes, with targets present.
TEST(RunController, EachSwitchCombinationTakesItsRoad) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt", "b.log"});
    const std::string target = Quoted(tree / "a.txt") + " " + Quoted(tree / "b.log");
    KorvalInstall install(
        "[filter]\r\nText\r\n>.txt\r\nLogs\r\n>.log\r\n%end\r\n[regexp]\r\nAny\r\n>.\r\n%end\r\n");
    struct Case {
        const char* name;
        std::string arguments;
        bool menu;
        std::string clipboard;
    } cases[] = {
        {"no switch: menu", target, true, "untouched"},
        {"named filter runs without a menu", "/#f=\"text\" /#e1 " + target, false, tree / "a.txt"},
        {"an unknown name is a pattern list", "/#f=\".log\" /#e1 " + target, false, tree / "b.log"},
        {"a pattern list of its own", "/#f=\".log;.txt\" /#e1 " + target, false,
         tree / "a.txt\r\n" + tree / "b.log"},
        {"named filter with bare /#r: menu", "/#f=\"Text\" /#r " + target, true, "untouched"},
        {"bare /#f: menu", "/#f " + target, true, "untouched"},
        {"bare /#r: menu", "/#r " + target, true, "untouched"},
        {"a name too short is not taken", "/#f=\"T\" " + target, true, "untouched"},
    };
    for (const Case& c : cases) {
        Outcome outcome = RunToEnd(install, c.arguments);
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.menuShown, c.menu);
        EXPECT_EQ(outcome.clipboard, c.clipboard);
        EXPECT_EQ(outcome.boxText, "");
    }
}

TEST(RunController, WithoutFilterEntriesTellsTheUserEvenWhenExpressionsExist) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt"});
    KorvalInstall install("[regexp]\r\nAny\r\n>.\r\n%end\r\n");
    Outcome outcome = RunToEnd(install, Quoted(tree / "a.txt"));
    ASSERT_TRUE(outcome.ended);
    EXPECT_FALSE(outcome.menuShown);
    EXPECT_EQ(outcome.boxTitle, "Korval");
    EXPECT_EQ(outcome.boxText, "フィルタを設定してください！");
}

TEST(RunController, AnUnquotedCommandLineNamingOneFileWithBlanksIsOneTarget) {
    TempDir tree;
    MakeTree(tree.path(), {"My Folder\\", "My Folder\\a b.txt"});
    KorvalInstall install(kOneFilter);
    // The whole line names the file; the switch scan sees none of "/#f=" and runs the menu, so
    // the target is checked through the menu's Shift pick: Enter with Shift copies the list.
    SetClipboardText("untouched");
    KorvalProcess process(install.exe(), tree / "My Folder\\a b.txt", install.folder());
    ASSERT_NE(WaitForPopupMenu(), nullptr) << "the entry menu did not open";
    KeyDown(VK_SHIFT);
    TapKey(VK_RETURN);
    KeyUp(VK_SHIFT);
    ASSERT_TRUE(process.Wait().has_value());
    EXPECT_EQ(ClipboardText().value_or(""), tree / "My Folder\\a b.txt");
}

TEST(RunController, TheClipboardIsReadOnlyWhenTheCommandLineGaveNoTarget) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt", "b.txt"});
    KorvalInstall install(kOneFilter);
    struct Case {
        const char* name;
        std::string arguments;
        std::string clipboardBefore;
        std::string delivered;
    } cases[] = {
        {"clipboard targets", "/#c /#f=\"Text\" /#e1", tree / "b.txt", tree / "b.txt"},
        {"command-line target wins", "/#c /#f=\"Text\" /#e1 " + Quoted(tree / "a.txt"), tree / "b.txt",
         tree / "a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetClipboardText(c.clipboardBefore);
        KorvalProcess process(install.exe(), c.arguments, install.folder());
        ASSERT_TRUE(process.Wait().has_value());
        EXPECT_EQ(ClipboardText().value_or(""), c.delivered);
    }
}
