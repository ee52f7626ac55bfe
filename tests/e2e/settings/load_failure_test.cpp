// A settings file that cannot be opened: Korval tells the user and ends without running.
#include "unit/settings/fixture.h"

TEST(SettingsFailure, AFolderInPlaceOfTheSettingsFileShowsTheBoxAndNothingRuns) {
    KorvalInstall install("");
    ASSERT_TRUE(DeleteFileA(install.settingsPath().c_str()));
    MakeFolder(install.settingsPath());
    SetClipboardText("untouched");
    KorvalProcess process(install.exe(), "/#f=\".exe\" /#e1 \"" + install.exe() + "\"", install.folder());
    auto box = WaitForDialog(process.id());
    ASSERT_EQ(box ? box->title + "|" + box->text : "no message box", "Korval|設定ファイル異常") << ScreenReport();
    PressButton(box->window, IDOK);
    // Any window after the box would keep Korval from ending.
    EXPECT_EQ(process.ExpectEnd().value_or(99), 0u) << "Korval did not end after the box";
    EXPECT_EQ(ClipboardText().value_or(""), "untouched") << "the filter ran";
}
