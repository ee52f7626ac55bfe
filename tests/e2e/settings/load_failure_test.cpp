// A settings file that cannot be opened: Korval tells the user and ends without running.
#include "unit/settings/fixture.h"

TEST(SettingsFailure, AFolderInPlaceOfTheSettingsFileShowsTheBoxAndNothingRuns) {
    KorvalInstall install("");
    ASSERT_TRUE(DeleteFileA(install.settingsPath().c_str()));
    MakeFolder(install.settingsPath());
    SetClipboardText("untouched");
    KorvalProcess process(install.exe(), "/#f=\".exe\" /#e1 \"" + install.exe() + "\"", install.folder());
    auto box = WaitForDialog(process.id());
    ASSERT_EQ(box ? box->title + "|" + box->text : "no message box", "Korval|設定ファイル異常");
    PressButton(box->window, IDOK);
    EXPECT_EQ(process.Wait().value_or(99), 0u) << "Korval did not end after the box";
    EXPECT_FALSE(WaitForDialog(process.id(), 500).has_value()) << "nothing may follow the box";
    EXPECT_EQ(ClipboardText().value_or(""), "untouched") << "the filter ran";
}
