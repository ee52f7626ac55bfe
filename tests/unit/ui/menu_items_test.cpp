// The popup menu's items in every switch state, where it opens, and when the key-release wait warns.

#include "support/wine_test.h"

// One line per item, "identifier text", with " *" after a check mark; a separator's text is "-".
std::string BuildAndRead(int fixedOnly) {
    HMENU menu = BuildPopupMenu(fixedOnly);
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[kItemTextBytes] = "-";
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        if (!(state & MF_SEPARATOR)) GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        items += std::to_string(GetMenuItemID(menu, i)) + " " + text + (state & MF_CHECKED ? " *\n" : "\n");
    }
    DestroyMenu(menu);
    return items;
}

// Full tables, so that every prefix and identifier shows; some rows carry check marks. A row that
// lists nothing stands for a branch that must add no item at all.
TEST(MenuItems, TheFixedMenuAndEachSwitchStateListTheirItems) {
    const char filterKeys[] = "0123456789UVWXYZ<>[]";
    const char regexpKeys[] = "ABCDEFGHIJKLMNOPQRST";
    std::string filters, regexps;
    for (int i = 0; i < kMaxEntries; ++i) {
        const std::string label = "entry " + std::to_string(i);
        std::strcpy(FilterEntry[i].label, label.c_str());
        std::strcpy(RegexpEntry[i].label, label.c_str());
        FilterEntry[i].exclude = i % 3 == 1;
        RegexpEntry[i].invert = i % 4 == 0;
        filters += std::to_string(1000 + i) + " &" + filterKeys[i] + " : " + label + (i % 3 == 1 ? " *\n" : "\n");
        regexps += std::to_string(1020 + i) + " &" + regexpKeys[i] + " : " + label + (i % 4 == 0 ? " *\n" : "\n");
    }
    std::strcpy(FilterEntry[0].patterns[0], ".txt");
    std::strcpy(FilterEntry[0].patterns[1], ".log");
    FilterEntry[0].patternCount = 2;
    std::strcpy(SettingsPath, "C:\\Program Files\\my tools\\tools.ini");
    const std::string separator = "1100 -\n";
    struct Case {
        const char* name; int fixedOnly, filterSwitch, regexpSwitch, filterCount, regexpCount; std::string expected;
    };
    const Case cases[] = {
        {"fixed items", 1, 0, 0, 20, 20,
         "1110 &Drop\n" + separator + "1120 tools.ini ( &1 )\n" + separator + "1130 &Help\n1140 &Version\n"},
        {"no switch", 0, 0, 0, 20, 20, filters + separator + regexps},
        {"no switch, no [filter] entry", 0, 0, 0, 0, 20, ""}, {"no switch, no [regexp] entry", 0, 0, 0, 20, 0, filters},
        {"bare /#f", 0, 1, 0, 20, 20, filters}, {"/#f= without /#r", 0, 2, 0, 20, 20, filters},
        {"bare /#r with bare /#f", 0, 1, 1, 20, 20, regexps}, {"/#r=", 0, 0, 2, 20, 20, ""},
        {"bare /#r with /#f=", 0, 2, 1, 20, 20, regexps + separator + "1099 .txt;.log\n"},
        {"bare /#r with /#f=, no [regexp] entry", 0, 2, 1, 20, 0, ""},
    };
    for (const Case& c : cases) {
        std::tie(FilterSwitch, RegexpSwitch, FilterEntryCount, RegexpEntryCount) =
            std::tie(c.filterSwitch, c.regexpSwitch, c.filterCount, c.regexpCount);
        EXPECT_EQ(BuildAndRead(c.fixedOnly), c.expected) << c.name;
    }
}

// PlaceMenu over the globals it reads: a window in front of 201 by 251 pixels at (100, 200) and
// a screen whose centre is (400, 285). Each row expects the alignment, then the point.
TEST(MenuPlacement, EachModeGivesItsPointAndAlignment) {
    HWND front = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 200, 201, 251, nullptr, nullptr, nullptr, nullptr);
    HWND flat = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 200, 0, 251, nullptr, nullptr, nullptr, nullptr);
    ScreenWidth = 801;
    MaximizedHeight = 571;
    SetCursorPos(17, 300);
    constexpr int centred = TPM_CENTERALIGN | TPM_VCENTERALIGN;
    struct Case {
        const char* name; PlacementMode mode; int mouseButtons; HWND window; ScreenPoint before;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"active window", PlacementMode::Active, 3, front, {-1, -1}, {centred, 200, 325}},
        {"active, no window", PlacementMode::Active, 3, nullptr, {-1, -1}, {centred, 400, 285}},
        {"active, window without width", PlacementMode::Active, 3, flat, {-1, -1}, {centred, 400, 285}},
        {"explicit", PlacementMode::Explicit, 3, front, {-1, -1}, {0, -5, 77}},
        {"mouse", PlacementMode::Mouse, 3, front, {-1, -1}, {0, 17, 300}},
        {"mouse, none present", PlacementMode::Mouse, 0, front, {-1, -1}, {centred, 400, 285}},
        {"mouse2", PlacementMode::Mouse2, 2, front, {-1, -1}, {TPM_VCENTERALIGN, 17, 300}},
        {"mouse2, none present", PlacementMode::Mouse2, 0, front, {-1, -1}, {centred, 400, 285}},
        {"center", PlacementMode::Center, 3, front, {-1, -1}, {centred, 400, 285}},
        {"already placed", PlacementMode::Explicit, 3, front, {9, -1}, {centred, 9, -1}},
    };
    for (const Case& c : cases) {
        MenuPlacement = {c.mode, -5, 77};
        std::tie(MouseButtonCount, LaunchForegroundWindow, MenuPosition) = std::tie(c.mouseButtons, c.window, c.before);
        // The braces run left to right: the point is read after PlaceMenu has set it.
        EXPECT_EQ((std::vector<int>{static_cast<int>(PlaceMenu()), MenuPosition.x, MenuPosition.y}), c.expected)
            << c.name;
    }
    DestroyWindow(front);
    DestroyWindow(flat);
}

TEST(KeyReleaseWait, WarnsAtPass300AndOnEveryPassFrom500) {
    std::vector<int> warned;
    for (int pass = 1; pass <= 503; ++pass) if (WarnAtPass(pass)) warned.push_back(pass);
    EXPECT_EQ(warned, (std::vector<int>{300, 500, 501, 502, 503}));
}
