// The popup menu's items in every switch state, where it opens, and when the key-release wait warns.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "ui/menu_parts.h"

namespace {

// One line per item, "identifier text", with " (checked)" after a check mark; a separator's text is "-".
std::string Describe(UINT id, const std::string& text, bool checked) {
    return std::to_string(id) + " " + text + (checked ? " (checked)\n" : "\n");
}

std::string BuildAndRead(int fixedOnly) {
    HMENU menu = BuildPopupMenu(fixedOnly);
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[kItemTextBytes] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        items += Describe(GetMenuItemID(menu, i), (state & MF_SEPARATOR) ? "-" : text, state & MF_CHECKED);
    }
    DestroyMenu(menu);
    return items;
}

// Full tables, so that every prefix and identifier shows; some rows carry check marks.
TEST(MenuItems, TheFixedMenuAndEachSwitchStateListTheirItems) {
    const char filterKeys[] = "0123456789UVWXYZ<>[]";
    const char regexpKeys[] = "ABCDEFGHIJKLMNOPQRST";
    std::string filters, regexps;
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string label = "entry " + std::to_string(i);
        std::strcpy(FilterEntry[i].label, label.c_str());
        std::strcpy(RegexpEntry[i].label, label.c_str());
        FilterEntry[i].exclude = i % 3 == 1;
        RegexpEntry[i].invert = i % 4 == 0;
        filters += Describe(1000 + i, std::string("&") + filterKeys[i] + " : " + label, i % 3 == 1);
        regexps += Describe(1020 + i, std::string("&") + regexpKeys[i] + " : " + label, i % 4 == 0);
    }
    std::strcpy(FilterEntry[0].patterns[0], ".txt");
    std::strcpy(FilterEntry[0].patterns[1], ".log");
    FilterEntry[0].patternCount = 2;
    std::strcpy(SettingsPath, "C:\\Program Files\\my tools\\tools.ini");
    const std::string separator = "1100 -\n";
    struct Case {
        const char* name;
        int fixedOnly, filterSwitch, regexpSwitch, filterCount, regexpCount;
        std::string expected;
    };
    const Case cases[] = {
        {"fixed items", 1, 0, 0, 20, 20,
         "1110 &Drop\n" + separator + "1120 tools.ini ( &1 )\n" + separator + "1130 &Help\n1140 &Version\n"},
        {"no switch", 0, 0, 0, 20, 20, filters + separator + regexps},
        {"no switch, no [filter] entry", 0, 0, 0, 0, 20, ""},
        {"no switch, no [regexp] entry", 0, 0, 0, 20, 0, filters},
        {"bare /#f", 0, 1, 0, 20, 20, filters},
        {"/#f= without /#r", 0, 2, 0, 20, 20, filters},
        {"bare /#r", 0, 0, 1, 20, 20, regexps},
        {"bare /#r with bare /#f", 0, 1, 1, 20, 20, regexps},
        {"bare /#r with /#f=", 0, 2, 1, 20, 20, regexps + separator + "1099 .txt;.log\n"},
        {"bare /#r with /#f=, no [regexp] entry", 0, 2, 1, 20, 0, ""},
        {"/#r=", 0, 0, 2, 20, 20, ""},
        {"/#r= with /#f=", 0, 2, 2, 20, 20, ""},
    };
    for (const Case& c : cases) {
        FilterSwitch = c.filterSwitch;
        RegexpSwitch = c.regexpSwitch;
        FilterEntryCount = c.filterCount;
        RegexpEntryCount = c.regexpCount;
        EXPECT_EQ(BuildAndRead(c.fixedOnly), c.expected) << c.name;
    }
}

// PlaceMenu over the globals it reads: a window in front of 201 by 251 pixels at (100, 200) and
// a screen whose centre is (400, 285).
TEST(MenuPlacement, EachModeGivesItsPointAndAlignment) {
    HWND front = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 200, 201, 251, nullptr, nullptr, nullptr, nullptr);
    HWND flat = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 200, 0, 251, nullptr, nullptr, nullptr, nullptr);
    ScreenWidth = 801;
    MaximizedHeight = 571;
    SetCursorPos(17, 300);
    constexpr UINT centred = TPM_CENTERALIGN | TPM_VCENTERALIGN;
    const ScreenPoint unset = {-1, -1};
    struct Case {
        const char* name;
        PlacementMode mode;
        int mouseButtons;
        HWND window;
        ScreenPoint before, after;
        UINT alignment;
    };
    const Case cases[] = {
        {"active window", PlacementMode::Active, 3, front, unset, {200, 325}, centred},
        {"active, no window", PlacementMode::Active, 3, nullptr, unset, {400, 285}, centred},
        {"active, window without width", PlacementMode::Active, 3, flat, unset, {400, 285}, centred},
        {"explicit", PlacementMode::Explicit, 3, front, unset, {-5, 77}, 0},
        {"mouse", PlacementMode::Mouse, 3, front, unset, {17, 300}, 0},
        {"mouse, none present", PlacementMode::Mouse, 0, front, unset, {400, 285}, centred},
        {"mouse2", PlacementMode::Mouse2, 2, front, unset, {17, 300}, TPM_VCENTERALIGN},
        {"mouse2, none present", PlacementMode::Mouse2, 0, front, unset, {400, 285}, centred},
        {"center", PlacementMode::Center, 3, front, unset, {400, 285}, centred},
        {"already placed", PlacementMode::Explicit, 3, front, {9, -1}, {9, -1}, centred},
    };
    for (const Case& c : cases) {
        MenuPlacement = {c.mode, -5, 77};
        MouseButtonCount = c.mouseButtons;
        LaunchForegroundWindow = c.window;
        MenuPosition = c.before;
        EXPECT_EQ(PlaceMenu(), c.alignment) << c.name;
        EXPECT_EQ((std::vector<int>{MenuPosition.x, MenuPosition.y}), (std::vector<int>{c.after.x, c.after.y})) << c.name;
    }
    DestroyWindow(front);
    DestroyWindow(flat);
}

TEST(KeyReleaseWait, WarnsAtPass300AndOnEveryPassFrom500) {
    std::vector<int> warned;
    for (int pass = 1; pass <= 503; ++pass) {
        if (WarnAtPass(pass)) warned.push_back(pass);
    }
    EXPECT_EQ(warned, (std::vector<int>{300, 500, 501, 502, 503}));
}

}  // namespace
