// Start-up and shutdown of Korval.exe as a real process: exit code, no visible window, names.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

// Finds a top-level window of the given class and reports whether it was ever visible.
struct WindowWatch {
    std::string className;
    bool found = false;
    bool visible = false;
    std::string title;
};

BOOL CALLBACK WatchWindow(HWND window, LPARAM context) {
    auto* watch = reinterpret_cast<WindowWatch*>(context);
    char name[256];
    GetClassNameA(window, name, sizeof name);
    if (watch->className == name) {
        watch->found = true;
        watch->visible = watch->visible || IsWindowVisible(window);
        watch->title = WindowText(window);
    }
    return TRUE;
}

}  // namespace

TEST(Startup, EndsByItselfWithExitCodeZeroAfterItsRun) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt"});
    KorvalInstall install("[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    ClearClipboard();
    auto code = RunKorval(install, "/#f=\"Text\" /#e1 \"" + tree.path() + "\\a.txt\"", 20000);
    ASSERT_TRUE(code.has_value()) << "Korval did not end by itself";
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(ClipboardText().value_or(""), tree.path() + "\\a.txt");
}

TEST(Startup, CreatesTheDefaultSettingsFileAndFollowsAProgramCopiedUnderAnotherName) {
    KorvalInstall install("", "Filt.exe");
    DeleteFileA(install.settingsPath().c_str());
    KorvalProcess process(install.exe(), "", install.folder());
    ASSERT_TRUE(process.started());
    // Without targets the fixed menu opens, owned by the hidden main window of class "Filt".
    HWND menu = WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "the fixed-item menu did not open";
    WindowWatch watch;
    watch.className = "Filt";
    EnumWindows(WatchWindow, reinterpret_cast<LPARAM>(&watch));
    EXPECT_TRUE(watch.found) << "no window of class Filt";
    EXPECT_FALSE(watch.visible) << "the main window must never be shown";
    EXPECT_EQ(watch.title, "Filt");
    TapKey(VK_ESCAPE);
    auto code = process.Wait();
    ASSERT_TRUE(code.has_value()) << "Korval did not end after Escape";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(PathFileExistsA((install.folder() + "\\Filt.ini").c_str())) << "Filt.ini was not created";
    auto settings = ReadBytes(install.folder() + "\\Filt.ini");
    ASSERT_TRUE(settings.has_value());
    EXPECT_TRUE(settings->empty());
}

// The help text keeps its name when the program is renamed; its settings file does not.
TEST(Startup, TheHelpItemOpensKorvalTxtBesideARenamedProgram) {
    KorvalInstall install("", "Filt.exe");
    std::string editor = install.InstallRecorder();
    WriteBytes(install.settingsPath(), "[system]\r\n@editor=" + editor + "\r\n%end\r\n");
    KorvalProcess process(install.exe(), "", install.folder());
    ASSERT_NE(WaitForPopupMenu(), nullptr) << "the fixed-item menu did not open";
    TapKey('H');
    ASSERT_TRUE(process.Wait().has_value());
    auto commandLine = install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the editor was not started";
    std::string expected = install.folder() + "\\Korval.txt";
    ASSERT_GE(commandLine->size(), expected.size()) << *commandLine;
    EXPECT_EQ(commandLine->substr(commandLine->size() - expected.size()), expected) << *commandLine;
    EXPECT_EQ(install.RecordedFolder().value_or(""), install.folder());
}
