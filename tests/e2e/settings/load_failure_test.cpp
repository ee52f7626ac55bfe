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

TEST(SettingsFailure, ASettingsSwitchNamingTheProgramFolderFallsBackToTheDefault) {
    // "/#s=" with nothing after it would name the program's folder itself; the default file is used.
    KorvalInstall install("[filter]\r\nText\r\n>.txt\r\n%end\r\n");
    ClearClipboard();
    TempDir targets;
    MakeTree(targets.path(), {"a.txt"});
    KorvalProcess process(install.exe(), "/#s= /#f=\"Text\" /#e1 \"" + (targets / "a.txt") + "\"", install.folder());
    ASSERT_TRUE(process.started());
    auto box = WaitForDialog(process.id(), 3000);
    if (box) PressButton(box->window, IDOK);
    EXPECT_FALSE(box.has_value() && box->text == "設定ファイル異常") << "the program folder was opened as settings";
    EXPECT_TRUE(process.Wait().has_value());
}
