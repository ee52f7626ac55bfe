// A settings file that cannot be opened: Korval tells the user and ends without running.
#include <gtest/gtest.h>

#include <string>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

// Starts Korval with a target, expects the settings box, confirms it and expects the process to end.
void ExpectSettingsFailureBox(const KorvalInstall& install, const std::string& arguments) {
    TempDir targets;
    MakeTree(targets.path(), {"a.txt"});
    KorvalProcess process(install.exe(), arguments + " \"" + (targets / "a.txt") + "\"", install.folder());
    ASSERT_TRUE(process.started());
    auto box = WaitForDialog(process.id());
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_EQ(box->title, "Korval");
    EXPECT_EQ(box->text, "設定ファイル異常");
    PressButton(box->window, IDOK);
    auto code = process.Wait();
    ASSERT_TRUE(code.has_value()) << "Korval did not end after the box";
    EXPECT_EQ(*code, 0u);
    EXPECT_FALSE(WaitForDialog(process.id(), 500).has_value()) << "nothing may follow the box";
}

}  // namespace

TEST(SettingsFailure, AFolderInPlaceOfTheSettingsFile) {
    KorvalInstall install("");
    ASSERT_TRUE(DeleteFileA(install.settingsPath().c_str()));
    MakeFolder(install.settingsPath());
    ExpectSettingsFailureBox(install, "/#f=\".txt\" /#e1");
}

TEST(SettingsFailure, ASettingsFileLockedAgainstReading) {
    KorvalInstall install("[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    HANDLE lock = CreateFileA(install.settingsPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ExpectSettingsFailureBox(install, "/#f=\".txt\" /#e1");
    CloseHandle(lock);
}

TEST(SettingsFailure, ASettingsSwitchWithoutANameFallsBackToTheDefault) {
    // "/#s=" with nothing after it would name the program's folder itself; the default file is read.
    KorvalInstall install("[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    ClearClipboard();
    TempDir targets;
    MakeTree(targets.path(), {"a.txt", "b.log"});
    auto code = RunKorval(install, "/#s= /#f=\"Text\" /#e1 \"" + (targets / "a.txt") + "\" \"" + (targets / "b.log") + "\"",
                          15000);
    ASSERT_TRUE(code.has_value()) << "Korval did not end: it stopped at a message box";
    EXPECT_EQ(ClipboardText().value_or("(no text)"), targets / "a.txt") << "the Text entry of the default file filters";
}
