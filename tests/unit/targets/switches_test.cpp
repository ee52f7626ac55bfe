// The "/#" switches: which state each form sets, and the forms that must set nothing.
#include <gtest/gtest.h>

#include <string>

#include "common/tables.h"
#include "targets/targets.h"

namespace {

void ResetSwitchState() {
    FilterSwitch = 0;
    FilterSwitchText[0] = '\0';
    RegexpSwitch = 0;
    RegexpSwitchText[0] = '\0';
    CopyToClipboard = 7;
    StartAfterCopy = 7;
    MenuPlacement = {PlacementMode::Unset, 0, 0};
    ScreenWidth = 1000;
    MaximizedHeight = 700;
    MouseButtonCount = 3;
    lstrcpyA(ProgramFolder, "C:\\NoSuchFolder\\");
    lstrcpyA(DefaultSettingsName, "Korval.ini");
}

struct SwitchCase {
    std::string text;
    int filter;
    std::string filterText;
    int regexp;
    std::string regexpText;
};

}  // namespace

TEST(ParseSwitches, FilterAndExpressionNames) {
    const std::string name258(258, 'n');
    const std::string name259(259, 'n');
    const SwitchCase cases[] = {
        {"/#f=\"Images\" C:\\x", 2, "Images", 0, ""},
        {"C:\\x /#F=\"Images\"", 2, "Images", 0, ""},
        {"/#f=\"表示 ソ\"", 2, "表示 ソ", 0, ""},
        {"/#f=\".txt;.log\"", 2, ".txt;.log", 0, ""},
        {"/#f=\"\"", 0, "", 0, ""},
        {"/#f=\"a\"", 0, "", 0, ""},
        {"/#f=Images", 1, "", 0, ""},
        {"/#f=\"Images", 0, "", 0, ""},
        {"/#f", 1, "", 0, ""},
        {"/#f=\"" + name258 + "\"", 2, name258, 0, ""},
        {"/#f=\"" + name259 + "\"", 0, "", 0, ""},
        {"/#r=\"a.+b\"", 0, "", 2, "a.+b"},
        {"/#R", 0, "", 1, ""},
        {"/#f=\"Images\" /#r", 2, "Images", 1, ""},
        {"/#f=\"Images\" /#r=\"x\"", 2, "Images", 0, ""},
        {"/#f=\"first\" /#f=\"second\"", 2, "first", 0, ""},
        {"C:\\only\\paths \"C:\\a b\"", 0, "", 0, ""},
    };
    for (const SwitchCase& c : cases) {
        ResetSwitchState();
        ParseSwitches(c.text.c_str());
        EXPECT_EQ(FilterSwitch, c.filter) << c.text;
        EXPECT_EQ(std::string(FilterSwitchText), c.filterText) << c.text;
        EXPECT_EQ(RegexpSwitch, c.regexp) << c.text;
        EXPECT_EQ(std::string(RegexpSwitchText), c.regexpText) << c.text;
    }
}

TEST(ParseSwitches, OutputSwitches) {
    struct Case {
        const char* text;
        int copy;
        int start;
    };
    const Case cases[] = {
        {"C:\\x", 0, 0}, {"/#e1", 1, 0}, {"/#E2", 1, 1}, {"/#e1 /#e2", 1, 1}, {"/#e2 /#e1", 1, 1}, {"/#e3", 0, 0},
    };
    for (const Case& c : cases) {
        ResetSwitchState();
        ParseSwitches(c.text);
        EXPECT_EQ(CopyToClipboard, c.copy) << c.text;
        EXPECT_EQ(StartAfterCopy, c.start) << c.text;
    }
}

TEST(ParseSwitches, MenuPlacementValues) {
    struct Case {
        std::string text;
        PlacementMode mode;
        int x;
        int y;
    };
    const Case cases[] = {
        {"/#m=center C:\\x", PlacementMode::Center, 0, 0},
        {"/#M=200,150", PlacementMode::Explicit, 200, 150},
        {"/#m=MAX,MAX /#e1", PlacementMode::Explicit, 1000, 700},
        {"/#m=nowhere", PlacementMode::Active, 0, 0},
        {"/#m= center", PlacementMode::Unset, 0, 0},
        {"/#m=", PlacementMode::Unset, 0, 0},
        {"/#m=" + std::string(259, '1'), PlacementMode::Unset, 0, 0},
        {"/#m=mouse", PlacementMode::Mouse, 0, 0},
    };
    for (const Case& c : cases) {
        ResetSwitchState();
        ParseSwitches(c.text.c_str());
        EXPECT_EQ(MenuPlacement.mode, c.mode) << c.text;
        if (c.mode == PlacementMode::Explicit) {
            EXPECT_EQ(MenuPlacement.x, c.x) << c.text;
            EXPECT_EQ(MenuPlacement.y, c.y) << c.text;
        }
    }
}

TEST(ParseSwitches, SettingsNamesThatCannotBeUsedMeanTheDefault) {
    const std::string longFolder = "C:\\" + std::string(200, 'f') + "\\";
    struct Case {
        std::string folder;
        std::string text;
    };
    const Case cases[] = {
        {"C:\\NoSuchFolder\\", "C:\\x"},
        {"C:\\NoSuchFolder\\", "/#s=other.ini"},
        {"C:\\NoSuchFolder\\", "/#s="},
        {"C:\\NoSuchFolder\\", "/#s=" + std::string(300, 's')},
        {longFolder, "/#s=" + std::string(100, 's')},
        {"C:\\windows\\", "/#s=C:\\windows\\win.ini"},
    };
    for (const Case& c : cases) {
        ResetSwitchState();
        lstrcpyA(ProgramFolder, c.folder.c_str());
        lstrcpyA(SettingsPath, "untouched");
        ParseSwitches(c.text.c_str());
        EXPECT_EQ(std::string(SettingsPath), c.folder + "Korval.ini") << c.text;
    }
}
