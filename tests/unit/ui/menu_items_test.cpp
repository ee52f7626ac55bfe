// The popup menu's items for every switch state, its placement rule and the key-release warning.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "ui/menu_parts.h"
#include "ui/ui.h"

namespace {

struct Item {
    UINT id;
    std::string text;  // "-" for a separator
    bool checked;
};

std::vector<Item> ReadItems(HMENU menu) {
    std::vector<Item> items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[kItemTextBytes] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        EXPECT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &info)) << "item " << i;
        items.push_back({info.wID, (info.fType & MFT_SEPARATOR) ? "-" : text, (info.fState & MFS_CHECKED) != 0});
    }
    return items;
}

std::vector<Item> BuildAndRead(int fixedOnly) {
    HMENU menu = BuildPopupMenu(fixedOnly);
    std::vector<Item> items = ReadItems(menu);
    DestroyMenu(menu);
    return items;
}

void SetFilter(int row, const char* label, std::vector<const char*> patterns, int exclude) {
    std::strcpy(FilterEntry[row].label, label);
    FilterEntry[row].patternCount = static_cast<int>(patterns.size());
    for (size_t i = 0; i < patterns.size(); ++i) std::strcpy(FilterEntry[row].patterns[i], patterns[i]);
    FilterEntry[row].exclude = exclude;
}

void SetRegexp(int row, const char* label, int invert) {
    std::strcpy(RegexpEntry[row].label, label);
    RegexpEntry[row].invert = invert;
}

class MenuItems : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(FilterEntry, 0, sizeof FilterEntry);
        std::memset(RegexpEntry, 0, sizeof RegexpEntry);
        FilterEntryCount = 0;
        RegexpEntryCount = 0;
        FilterSwitch = 0;
        RegexpSwitch = 0;
    }

    // Two filters (the second excluding) and two expressions (the first inverted).
    void FillTables() {
        SetFilter(0, "Documents", {".txt", ".doc"}, 0);
        SetFilter(1, "Not images", {".png"}, 1);
        FilterEntryCount = 2;
        SetRegexp(0, "Dates", 1);
        SetRegexp(1, "Names", 0);
        RegexpEntryCount = 2;
    }
};

void ExpectItems(const std::vector<Item>& actual, const std::vector<Item>& expected, const std::string& which) {
    ASSERT_EQ(actual.size(), expected.size()) << which;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].id, expected[i].id) << which << ", item " << i;
        EXPECT_EQ(actual[i].text, expected[i].text) << which << ", item " << i;
        EXPECT_EQ(actual[i].checked, expected[i].checked) << which << ", item " << i;
    }
}

TEST_F(MenuItems, FixedItemsNameTheSettingsFileWithoutItsFolder) {
    FillTables();
    std::strcpy(SettingsPath, "C:\\Program Files\\my tools\\tools.ini");
    ExpectItems(BuildAndRead(1),
                {{1110, "&Drop", false},
                 {1100, "-", false},
                 {1120, "tools.ini ( &1 )", false},
                 {1100, "-", false},
                 {1130, "&Help", false},
                 {1140, "&Version", false}},
                "fixed items");
}

TEST_F(MenuItems, EachSwitchStateListsItsEntries) {
    FillTables();
    SetFilter(0, "Documents", {".txt", ".log"}, 0);
    const std::vector<Item> filters = {{1000, "&0 : Documents", false}, {1001, "&1 : Not images", true}};
    const std::vector<Item> regexps = {{1020, "&A : Dates", true}, {1021, "&B : Names", false}};
    auto join = [](std::vector<Item> a, const std::vector<Item>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        int filterSwitch;
        int regexpSwitch;
        std::vector<Item> expected;
    };
    const std::vector<Case> cases = {
        {"no switch", 0, 0, join(join(filters, {{1100, "-", false}}), regexps)},
        {"bare /#f", 1, 0, filters},
        {"/#f= without /#r", 2, 0, filters},
        {"bare /#r", 0, 1, regexps},
        {"bare /#r with bare /#f", 1, 1, regexps},
        {"bare /#r with /#f=", 2, 1, join(regexps, {{1100, "-", false}, {1099, ".txt;.log", false}})},
        {"/#r=", 0, 2, {}},
        {"/#r= with /#f=", 2, 2, {}},
    };
    for (const Case& c : cases) {
        FilterSwitch = c.filterSwitch;
        RegexpSwitch = c.regexpSwitch;
        ExpectItems(BuildAndRead(0), c.expected, c.name);
    }
}

TEST_F(MenuItems, WithoutFilterEntriesNoExpressionIsListedEither) {
    FillTables();
    FilterEntryCount = 0;
    EXPECT_TRUE(BuildAndRead(0).empty());
    // A bare /#r needs [regexp] entries; the pattern note never stands alone.
    FilterEntryCount = 2;
    RegexpEntryCount = 0;
    RegexpSwitch = 1;
    FilterSwitch = 2;
    EXPECT_TRUE(BuildAndRead(0).empty());
}

TEST_F(MenuItems, TwentyEntriesOfEachTableCarryTheirPrefixesAndIdentifiers) {
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string label = "entry " + std::to_string(i);
        SetFilter(i, label.c_str(), {".x"}, 0);
        SetRegexp(i, label.c_str(), 0);
    }
    FilterEntryCount = kMaxEntries;
    RegexpEntryCount = kMaxEntries;
    const char filterKeys[] = "0123456789UVWXYZ<>[]";
    const char regexpKeys[] = "ABCDEFGHIJKLMNOPQRST";
    std::vector<Item> items = BuildAndRead(0);
    ASSERT_EQ(items.size(), 41u);
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string suffix = std::string(" : entry ") + std::to_string(i);
        EXPECT_EQ(items[i].id, 1000u + i);
        EXPECT_EQ(items[i].text, std::string("&") + filterKeys[i] + suffix);
        EXPECT_EQ(items[21 + i].id, 1020u + i);
        EXPECT_EQ(items[21 + i].text, std::string("&") + regexpKeys[i] + suffix);
    }
    EXPECT_EQ(items[20].id, 1100u);
    EXPECT_EQ(items[20].text, "-");
}

TEST_F(MenuItems, ALongPatternNoteIsCutOnACharacterBoundary) {
    SetRegexp(0, "Dates", 0);
    RegexpEntryCount = 1;
    // Twenty patterns of 128 two-byte characters each.
    std::string pattern;
    for (int i = 0; i < 128; ++i) pattern += "\x82\xa0";
    for (int i = 0; i < kMaxPatterns; ++i) std::strcpy(FilterEntry[0].patterns[i], pattern.c_str());
    FilterEntry[0].patternCount = kMaxPatterns;
    FilterEntryCount = 1;
    FilterSwitch = 2;
    RegexpSwitch = 1;
    std::vector<Item> items = BuildAndRead(0);
    ASSERT_EQ(items.size(), 3u);
    const std::string& note = items[2].text;
    // Two patterns and two separators take 514 bytes; two more characters fit, the third would not.
    EXPECT_EQ(note, pattern + ";" + pattern + ";" + "\x82\xa0\x82\xa0");
}

TEST(MenuPlacementRule, EachModeGivesItsPointAndAlignment) {
    const ScreenPoint centre = {400, 285};
    const ScreenPoint cursor = {17, 900};
    const RECT window = {100, 200, 301, 451};
    const RECT empty = {100, 200, 100, 451};
    constexpr UINT centred = TPM_CENTERALIGN | TPM_VCENTERALIGN;
    struct Case {
        const char* name;
        PlacementMode mode;
        int mouse;
        const RECT* foreground;
        ScreenPoint point;
        UINT alignment;
    };
    const Case cases[] = {
        {"active window", PlacementMode::Active, 3, &window, {200, 325}, centred},
        {"active, no window", PlacementMode::Active, 3, nullptr, centre, centred},
        {"active, empty window", PlacementMode::Active, 3, &empty, centre, centred},
        {"explicit", PlacementMode::Explicit, 3, &window, {-5, 77}, 0},
        {"mouse", PlacementMode::Mouse, 3, &window, cursor, 0},
        {"mouse, none present", PlacementMode::Mouse, 0, &window, centre, centred},
        {"mouse2", PlacementMode::Mouse2, 2, &window, cursor, TPM_VCENTERALIGN},
        {"mouse2, none present", PlacementMode::Mouse2, 0, &window, centre, centred},
        {"center", PlacementMode::Center, 3, &window, centre, centred},
    };
    for (const Case& c : cases) {
        MenuPlacementResult result = ComputePlacement({c.mode, -5, 77}, centre, c.mouse, cursor, c.foreground);
        EXPECT_EQ(result.point.x, c.point.x) << c.name;
        EXPECT_EQ(result.point.y, c.point.y) << c.name;
        EXPECT_EQ(result.alignment, c.alignment) << c.name;
    }
}

TEST(MenuPlacementRule, ThePositionIsComputedOnceAndThenCentredOn) {
    MenuPlacement = {PlacementMode::Explicit, 120, 340};
    MenuPosition = {-1, -1};
    EXPECT_EQ(PlaceMenu(), 0u);
    EXPECT_EQ(MenuPosition.x, 120);
    EXPECT_EQ(MenuPosition.y, 340);
    MenuPlacement = {PlacementMode::Explicit, 9, 9};
    EXPECT_EQ(PlaceMenu(), static_cast<UINT>(TPM_CENTERALIGN | TPM_VCENTERALIGN));
    EXPECT_EQ(MenuPosition.x, 120);
    EXPECT_EQ(MenuPosition.y, 340);
    MenuPosition = {-1, -1};
}

TEST(KeyReleaseWait, WarnsAtPass300AndOnEveryPassFrom500) {
    std::vector<int> warned;
    for (int pass = 1; pass <= 503; ++pass) {
        if (WarnAtPass(pass)) warned.push_back(pass);
    }
    EXPECT_EQ(warned, (std::vector<int>{300, 500, 501, 502, 503}));
}

}  // namespace
