// KorvalSetup plans one safely named shortcut per entry of the settings.

#include "setup/setup.h"
#include "support/wine_test.h"

// The entries' shortcuts: names the file system takes, no two alike, none for a label Korval could not find.
TEST(SetupPlan, OneSafelyNamedDistinctShortcutPerEntryKorvalCanFind) {
    const std::string kanji = std::string(49, 'a') + "表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表";
    // ポ and 表 have the trail bytes | and \, which stay; a cut never halves a character.
    const std::vector<std::string> filters = {"ポ|表\\", "a/b:c*d?e<f>g", "a\x01" "b", "con", "LPT1.txt", "Nul  .x",
                                              "console", std::string(150, 'a'), kanji, "x", "a\"b", "con",
                                              std::string(259, 'L')};
    const std::vector<std::string> regexps = {"CON", "a_b", "a/b"};
    const std::vector<std::string> expected = {
        "ポ_表_.lnk /#f=", "a_b_c_d_e_f_g.lnk /#f=", "a_b.lnk /#f=", "_con.lnk /#f=", "_LPT1.txt.lnk /#f=",
        "_Nul  .x.lnk /#f=", "console.lnk /#f=", std::string(100, 'a') + ".lnk /#f=", kanji.substr(0, 99) + ".lnk /#f=",
        "_CON (2).lnk /#r=", "a_b (2).lnk /#r=", "a_b (3).lnk /#r="};
    FilterEntryCount = RegexpEntryCount = 0;
    for (const std::string& label : filters) lstrcpyA(FilterEntry[FilterEntryCount++].label, label.c_str());
    for (const std::string& label : regexps) lstrcpyA(RegexpEntry[RegexpEntryCount++].label, label.c_str());
    static EntryShortcut planned[kMaxEntryShortcuts];
    const size_t count = static_cast<size_t>(PlanEntryShortcuts(planned));
    for (size_t i = 0; i < std::max(count, expected.size()); ++i) {
        const std::string row = i < count ? planned[i].fileName + (" " + std::string(planned[i].arguments, 4)) : "-";
        EXPECT_EQ(row, i < expected.size() ? expected[i] : "-") << "shortcut " << i;
    }
}
