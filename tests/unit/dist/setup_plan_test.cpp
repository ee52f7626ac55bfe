// KorvalSetup's entry shortcuts: names the file system takes, no two alike, none for a label Korval could not find.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "setup/setup.h"

TEST(SetupPlan, OneSafelyNamedDistinctShortcutPerEntryKorvalCanFind) {
    std::string kanji(49, 'a');
    for (int i = 0; i < 30; ++i) kanji += "表";
    // ポ and 表 have the trail bytes | and \, which stay; a cut never halves a character.
    const std::vector<std::string> filters = {"ポ|表\\", "a/b:c*d?e<f>g", "a\x01" "b", "con", "LPT1.txt", "Nul  .x",
                                              "console", std::string(150, 'a'), kanji, "x", "a\"b", "con",
                                              std::string(259, 'L')};
    const std::vector<std::string> regexps = {"CON", "a_b", "a/b"};
    const std::vector<std::string> expected = {
        "ポ_表_.lnk /#f=", "a_b_c_d_e_f_g.lnk /#f=", "a_b.lnk /#f=", "_con.lnk /#f=", "_LPT1.txt.lnk /#f=",
        "_Nul  .x.lnk /#f=", "console.lnk /#f=", std::string(100, 'a') + ".lnk /#f=", kanji.substr(0, 99) + ".lnk /#f=",
        "_CON (2).lnk /#r=", "a_b (2).lnk /#r=", "a_b (3).lnk /#r="};
    FilterEntryCount = static_cast<int>(filters.size());
    for (size_t i = 0; i < filters.size(); ++i) lstrcpyA(FilterEntry[i].label, filters[i].c_str());
    RegexpEntryCount = static_cast<int>(regexps.size());
    for (size_t i = 0; i < regexps.size(); ++i) lstrcpyA(RegexpEntry[i].label, regexps[i].c_str());
    static EntryShortcut planned[kMaxEntryShortcuts];
    const size_t count = static_cast<size_t>(PlanEntryShortcuts(planned));
    for (size_t i = 0; i < std::max(count, expected.size()); ++i) {
        const std::string row = i < count ? planned[i].fileName + (" " + std::string(planned[i].arguments, 4)) : "-";
        EXPECT_EQ(row, i < expected.size() ? expected[i] : "-") << "shortcut " << i;
    }
}
