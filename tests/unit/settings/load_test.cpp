// Finding the settings file: the four candidates, the path left in SettingsPath, and what is created.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/wine_test.h"
#include "targets/targets.h"

using namespace settings_test;

namespace {

// A program folder with the given settings files; the program is called Tool, so its own
// settings file is Tool.ini.
struct Folder {
    korval_test::TempDir dir;
    explicit Folder(std::initializer_list<const char*> files) {
        for (const char* name : files) korval_test::WriteBytes(dir / name, std::string("[filter]\r\n") + name + "\r\n>.x\r\n");
        lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
        lstrcpyA(DefaultSettingsName, "Tool.ini");
        wsprintfA(SettingsPath, "%s%s", ProgramFolder, DefaultSettingsName);
    }
};

}  // namespace

TEST(LoadSettings, CandidatesInOrder) {
    struct Case {
        const char* name;
        std::initializer_list<const char*> files;
        const char* switches;
        const char* used;  // the file whose entry was read and that SettingsPath names
    };
    const Case cases[] = {
        {"the program's own settings file", {"Tool.ini", "Korval.ini"}, "", "Tool.ini"},
        {"only Korval.ini exists", {"Korval.ini"}, "", "Korval.ini"},
        {"/#s= names an existing file", {"Tool.ini", "other.ini"}, "/#s=other.ini", "other.ini"},
        {"/#s= names a missing file", {"Tool.ini"}, "/#s=missing.ini", "Tool.ini"},
        {"/#s= with quotes keeps them in the name", {"Tool.ini", "other.ini"}, "/#s=\"other.ini\"", "Tool.ini"},
        {"/#s= with an empty name", {"Tool.ini"}, "/#s= x", "Tool.ini"},
        {"/#s= in capitals and a double-byte name", {"Tool.ini", "設定ソ.ini"}, "/#S=設定ソ.ini", "設定ソ.ini"},
    };
    for (const Case& c : cases) {
        Folder folder(c.files);
        ResetStartState();
        if (c.switches[0] != '\0') ParseSwitches(c.switches);
        ASSERT_EQ(LoadSettings(nullptr), 1) << c.name;
        EXPECT_EQ(std::string(SettingsPath), folder.dir / c.used) << c.name;
        ASSERT_EQ(FilterEntryCount, 1) << c.name;
        EXPECT_STREQ(FilterEntry[0].label, c.used) << c.name;
    }
}

TEST(LoadSettings, WithoutAnyFileTheOwnOneIsCreatedEmpty) {
    Folder folder({});
    ResetStartState();
    ParseSwitches("/#s=missing.ini");
    FilterEntryCount = 3;
    ASSERT_EQ(LoadSettings(nullptr), 1);
    EXPECT_EQ(std::string(SettingsPath), folder.dir / "Tool.ini");
    auto created = korval_test::ReadBytes(folder.dir / "Tool.ini");
    ASSERT_TRUE(created.has_value());
    EXPECT_TRUE(created->empty());
    EXPECT_FALSE(PathFileExistsA((folder.dir / "missing.ini").c_str()));
    EXPECT_EQ(FilterEntryCount, 0);
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Active);
}
