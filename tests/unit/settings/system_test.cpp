// The [system] directives: the prefix rule, menu placement, the @param table, search path and editor.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/wine_test.h"

using namespace settings_test;

namespace {

std::string System(std::initializer_list<std::string> lines) {
    std::string text = "[system]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text + "%end\r\n";
}

struct MenuCase {
    const char* name;
    std::string text;
    PlacementMode mode;
    int x;
    int y;
};

}  // namespace

TEST(SystemDirectives, OnlyTheDirectivesOwnLengthIsCompared) {
    struct Case {
        const char* line;
        int sortMode, allLevels, backslash, progress;
    };
    const Case cases[] = {
        {"@sort=1", 1, 0, 0, 0},   {"@sort=12", 1, 0, 0, 0}, {"@SORT=2", 2, 0, 0, 0}, {"@sort=3", 0, 0, 0, 0},
        {"@sort 1", 0, 0, 0, 0},   {"@subway", 0, 1, 0, 0},  {"@SUB", 0, 1, 0, 0},    {"@bsx", 0, 0, 1, 0},
        {"@barn", 0, 0, 0, 1},     {"@ba", 0, 0, 0, 0},      {"sort=1", 0, 0, 0, 0},  {"  \t@sort=2", 2, 0, 0, 0},
        {";@sort=2", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ResetStartState();
        Parse(System({c.line}));
        EXPECT_EQ(SystemOptions.sortMode, c.sortMode) << c.line;
        EXPECT_EQ(AllLevels, c.allLevels) << c.line;
        EXPECT_EQ(InsideFolders, c.allLevels) << c.line;
        EXPECT_EQ(SystemOptions.keepFolderBackslash, c.backslash) << c.line;
        EXPECT_EQ(SystemOptions.showProgress, c.progress) << c.line;
    }
    ResetStartState();
    Parse(System({"@sort=1", "@sort=2"}));
    EXPECT_EQ(SystemOptions.sortMode, 2) << "the last @sort= wins";
}

TEST(SystemDirectives, MenuPlacementPrecedenceAndValues) {
    const MenuCase cases[] = {
        {"no @menu=", System({}), PlacementMode::Active, 0, 0},
        {"no [system] section", "", PlacementMode::Active, 0, 0},
        {"mouse", System({"@menu=mouse"}), PlacementMode::Mouse, 0, 0},
        {"mous2", System({"@menu=mous2"}), PlacementMode::Mouse2, 0, 0},
        {"center", System({"@menu=CENTER"}), PlacementMode::Center, 0, 0},
        {"active", System({"@menu=active"}), PlacementMode::Active, 0, 0},
        {"two numbers", System({"@menu=200,150"}), PlacementMode::Explicit, 200, 150},
        {"negative numbers", System({"@menu=-20,-5"}), PlacementMode::Explicit, -20, -5},
        {"MAX twice", System({"@menu=MAX,MAX"}), PlacementMode::Explicit, 1000, 700},
        {"0 and MAX", System({"@menu=0,MAX"}), PlacementMode::Explicit, 0, 700},
        {"max,max in lower case", System({"@menu=max,max"}), PlacementMode::Explicit, 1000, 0},
        {"100,max with a closing comma", System({"@menu=100,max,"}), PlacementMode::Explicit, 100, 700},
        {"seven digits keep six", System({"@menu=1234567,5"}), PlacementMode::Explicit, 123456, 5},
        {"unknown word", System({"@menu=elsewhere"}), PlacementMode::Active, 0, 0},
        {"the first counting @menu= wins even when unknown", System({"@menu=abc", "@menu=center"}),
         PlacementMode::Active, 0, 0},
        {"two characters are not enough", System({"@menu=ab", "@menu=center"}), PlacementMode::Center, 0, 0},
        {"a word before the comma ends reading", System({"@menu=center,10,20"}), PlacementMode::Center, 0, 0},
    };
    for (const MenuCase& c : cases) {
        ResetStartState();
        Parse(c.text);
        EXPECT_EQ(MenuPlacement.mode, c.mode) << c.name;
        if (c.mode == PlacementMode::Explicit) {
            EXPECT_EQ(MenuPlacement.x, c.x) << c.name;
            EXPECT_EQ(MenuPlacement.y, c.y) << c.name;
        }
    }
}

TEST(SystemDirectives, MouseWordsNeedAMouseAndTheSwitchWinsOverTheSettings) {
    ResetStartState();
    MouseButtonCount = 0;
    Parse(System({"@menu=mouse"}));
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Active);

    ResetStartState();
    ParseMenuPlacement("center\r\n", 0);  // as "/#m=center" leaves it
    Parse(System({"@menu=mouse"}));
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Center);

    ResetStartState();
    ParseMenuPlacement("nowhere\r\n", 0);
    Parse(System({"@menu=100,100"}));
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Active) << "an unknown /#m= word still skips @menu=";
}

TEST(SystemDirectives, ParamTableEndsAtTheFirstLineWithoutSeparator) {
    struct Case {
        const char* name;
        std::string text;
        std::string pairs;  // key=value rows joined by ";"
        int sortMode;
    };
    const Case cases[] = {
        {"pairs then a directive", System({"@param", "A | 1", "B | 2", "@sort=1"}), "A=1;B=2", 1},
        {"a blank line ends an empty table", System({"@param", "", "A | 1", "@sort=2"}), "", 2},
        {"%end ends the table and then the section", System({"@param", "A | 1"}) + Lines({"@sort=1"}), "A=1", 0},
        {"a comment line with the separator is a pair", System({"@param", ";c | x"}), ";c=x", 0},
        {"blanks around the separator stay", System({"@param", "  A  |  v "}), "  A = v ", 0},
        {"an empty key is skipped but the table goes on", System({"@param", " | v", "B | 2"}), "B=2", 0},
        {"a key is cut to 19 characters", System({"@param", std::string(25, 'k') + " | v"}),
         std::string(19, 'k') + "=v", 0},
        {"a second @param starts anew", System({"@param", "A | 1", "@sort=1", "@param", "B | 2"}), "B=2", 1},
        {"the separator's first occurrence splits", System({"@param", "A | B | C"}), "A=B | C", 0},
        {"the last pair line without a line feed is not read", "[system]\r\n@param\r\nA | 1\r\nB | 2", "A=1", 0},
        {"the eleventh pair line is an ordinary line",
         System({"@param", "k1 | 1", "k2 | 2", "k3 | 3", "k4 | 4", "k5 | 5", "k6 | 6", "k7 | 7", "k8 | 8", "k9 | 9",
                 "k10 | 10", "@sort=2 | 11"}),
         "k1=1;k2=2;k3=3;k4=4;k5=5;k6=6;k7=7;k8=8;k9=9;k10=10", 2},
    };
    for (const Case& c : cases) {
        ResetStartState();
        Parse(c.text);
        std::string pairs;
        for (int i = 0; i < ParamEntryCount; ++i) {
            pairs += (i > 0 ? ";" : "") + std::string(ParamEntry[i].key) + "=" + ParamEntry[i].value;
        }
        EXPECT_EQ(SystemOptions.paramMode, 1) << c.name;
        EXPECT_EQ(pairs, c.pairs) << c.name;
        EXPECT_EQ(SystemOptions.sortMode, c.sortMode) << c.name;
    }
}

TEST(SystemDirectives, SearchPathFromAValueOrAFile) {
    korval_test::TempDir dir;
    korval_test::WriteBytes(dir / "one.txt", "x\r\npath=C:\\a;C:\\b\r\nmore\r\n");
    korval_test::WriteBytes(dir / "joined.txt", "C:\\a;\r\nC:\\b\r\n");
    korval_test::WriteBytes(dir / "tabs.txt", "PATH=C:\\a;\tC:\\b");
    korval_test::WriteBytes(dir / "empty.txt", "");
    struct Case {
        const char* name;
        std::string line;
        std::string searchPath;
        int set;
    };
    const Case cases[] = {
        {"a list of folders is taken as written", "@path=C:\\x;D:\\y", "C:\\x;D:\\y", 1},
        {"no value leaves it unset", "@path=", "", 0},
        {"a file whose line starts with path=", "@path=" + (dir / "one.txt"), "C:\\a;C:\\b", 1},
        {"a file without path= is joined", "@path=" + (dir / "joined.txt"), "C:\\a;C:\\b", 1},
        {"tabs are dropped and path= is found in any case", "@path=" + (dir / "tabs.txt"), "C:\\a;C:\\b", 1},
        {"an empty file leaves no search path", "@path=" + (dir / "empty.txt"), "", 0},
        {"a folder is taken as the list itself", "@path=" + dir.path(), dir.path(), 1},
    };
    for (const Case& c : cases) {
        ResetStartState();
        Parse(System({c.line}));
        EXPECT_EQ(SystemOptions.searchPathSet, c.set) << c.name;
        if (c.set) {
            EXPECT_EQ(std::string(SystemOptions.searchPath), c.searchPath) << c.name;
        }
    }
}

TEST(SystemDirectives, SearchPathFileIsCutAt5199BytesOnACharacterBoundary) {
    korval_test::TempDir dir;
    std::string content = "path=" + std::string(5198, 'a') + "ソbc";
    korval_test::WriteBytes(dir / "long.txt", content);
    ResetStartState();
    ReadSearchPathFile((dir / "long.txt").c_str());
    EXPECT_EQ(SystemOptions.searchPathSet, 1);
    EXPECT_EQ(std::string(SystemOptions.searchPath), std::string(5198, 'a'));
    ReadSearchPathFile((dir / "missing.txt").c_str());
    EXPECT_EQ(SystemOptions.searchPathSet, 0);
}

TEST(SystemDirectives, EditorIsResolvedWithTheExeRetry) {
    korval_test::TempDir dir;
    korval_test::WriteBytes(dir / "edit.exe", "MZ");
    ResetStartState();
    Parse(System({"@editor=" + (dir / "edit")}));
    EXPECT_EQ(std::string(SystemOptions.editorPath), dir / "edit.exe");

    ResetStartState();
    Parse(System({"@editor=notepad", "@editor=no-such-editor", "@editor=" + dir.path()}));
    EXPECT_TRUE(StrStrIA(SystemOptions.editorPath, "\\notepad.exe") != nullptr)
        << "found on the system search path, kept over names that are missing or folders: "
        << SystemOptions.editorPath;

    ResetStartState();
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    Parse(System({"@param", "@editor=%Korval%\\edit"}));
    EXPECT_EQ(std::string(SystemOptions.editorPath), dir / "edit.exe") << "macros expand with @param";
    ResetStartState();
    Parse(System({"@editor=%Korval%\\edit"}));
    EXPECT_STREQ(SystemOptions.editorPath, "") << "without @param the macro stays and names nothing";
}
