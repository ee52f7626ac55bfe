// KorvalSetup's decisions: its switches, and the shortcut names and arguments of the entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tables.h"
#include "setup/setup.h"

namespace {

void SetFilters(const std::vector<std::string>& labels) {
    FilterEntryCount = static_cast<int>(labels.size());
    for (size_t i = 0; i < labels.size(); ++i) lstrcpyA(FilterEntry[i].label, labels[i].c_str());
}

void SetRegexps(const std::vector<std::string>& labels) {
    RegexpEntryCount = static_cast<int>(labels.size());
    for (size_t i = 0; i < labels.size(); ++i) lstrcpyA(RegexpEntry[i].label, labels[i].c_str());
}

// The planned shortcuts as "file name => arguments" lines.
std::vector<std::string> Plan() {
    static EntryShortcut shortcuts[kMaxEntryShortcuts];
    int count = PlanEntryShortcuts(shortcuts);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(std::string(shortcuts[i].fileName) + " => " + shortcuts[i].arguments);
    return out;
}

}  // namespace

TEST(SetupCommandLine, ReadsEachCombinationOfSwitches) {
    struct Case {
        const char* text;
        SetupAction action;
        int withEntries;
        int quiet;
    };
    const Case cases[] = {
        {"", SetupAction::Ask, 0, 0},
        {"   ", SetupAction::Ask, 0, 0},
        {"/install", SetupAction::Install, 0, 0},
        {"/INSTALL /Entries", SetupAction::Install, 1, 0},
        {"/quiet  /entries\t/install", SetupAction::Install, 1, 1},
        {"/uninstall /quiet", SetupAction::Uninstall, 0, 1},
        {"/install /uninstall", SetupAction::Invalid, 0, 0},
        {"/install /entry", SetupAction::Invalid, 0, 0},
        {"/entries", SetupAction::Invalid, 1, 0},
        {"/quiet", SetupAction::Invalid, 0, 1},
        {"install", SetupAction::Invalid, 0, 0},
        {"/installx", SetupAction::Invalid, 0, 0},
    };
    for (const Case& c : cases) {
        SetupRequest request = ParseSetupCommandLine(c.text);
        EXPECT_EQ(request.action, c.action) << "\"" << c.text << "\"";
        if (c.action != SetupAction::Invalid) {
            EXPECT_EQ(request.withEntries, c.withEntries) << "\"" << c.text << "\"";
            EXPECT_EQ(request.quiet, c.quiet) << "\"" << c.text << "\"";
        }
    }
}

TEST(ShortcutFileName, KeepsDoubleByteNamesAndReplacesWhatNoFileNameMayHold) {
    struct Case {
        const char* what;
        std::string label;
        std::string name;
    };
    const std::string longLabel(150, 'a');
    std::string longKanji(49, 'a');
    for (int i = 0; i < 30; ++i) longKanji += "表";
    const Case cases[] = {
        {"plain Japanese", "文書", "文書.lnk"},
        {"a trail byte that equals a backslash stays", "ソースコード", "ソースコード.lnk"},
        {"a trail byte that equals a vertical bar stays", "ポ|表\\", "ポ_表_.lnk"},
        {"every forbidden character", "a\\b/c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j.lnk"},
        {"a control character", "a\x01" "b", "a_b.lnk"},
        {"a device name", "con", "_con.lnk"},
        {"a device name with an extension", "LPT1.txt", "_LPT1.txt.lnk"},
        {"a device name with trailing blanks", "Nul  .x", "_Nul  .x.lnk"},
        {"a longer word is no device", "console", "console.lnk"},
        {"an empty label", "", "_.lnk"},
        {"cut to 100 bytes", longLabel, std::string(100, 'a') + ".lnk"},
        {"a cut never halves a character", longKanji, longKanji.substr(0, 99) + ".lnk"},
    };
    for (const Case& c : cases) {
        char name[kPathBytes];
        MakeShortcutFileName(c.label.c_str(), name);
        EXPECT_EQ(std::string(name), c.name) << c.what;
    }
}

TEST(EntryShortcuts, OnePerNamedEntryWithItsSwitchAndNoCollisions) {
    SetFilters({"文書", "画像", "x", "a\"b", "文書", "DOCS", std::string(259, 'L'), std::string(258, 'M')});
    SetRegexps({"画像", "docs", "a/b", "a_b", "名前に日付"});
    const std::vector<std::string> expected = {
        "文書.lnk => /#f=\"文書\"",
        "画像.lnk => /#f=\"画像\"",
        "DOCS.lnk => /#f=\"DOCS\"",
        std::string(100, 'M') + ".lnk => /#f=\"" + std::string(258, 'M') + "\"",
        "画像 (2).lnk => /#r=\"画像\"",
        "docs (2).lnk => /#r=\"docs\"",
        "a_b.lnk => /#r=\"a/b\"",
        "a_b (2).lnk => /#r=\"a_b\"",
        "名前に日付.lnk => /#r=\"名前に日付\"",
    };
    EXPECT_EQ(Plan(), expected);
}

TEST(EntryShortcuts, FullTablesOfTheSameNamesGiveFortyDistinctFiles) {
    std::vector<std::string> filters;
    std::vector<std::string> regexps;
    for (int i = 0; i < kMaxEntries; ++i) {
        filters.push_back("entry" + std::to_string(i));
        regexps.push_back("ENTRY" + std::to_string(i));
    }
    SetFilters(filters);
    SetRegexps(regexps);
    std::vector<std::string> plan = Plan();
    ASSERT_EQ(plan.size(), 2u * kMaxEntries);
    EXPECT_EQ(plan[0], "entry0.lnk => /#f=\"entry0\"");
    EXPECT_EQ(plan[kMaxEntries], "ENTRY0 (2).lnk => /#r=\"ENTRY0\"");
    EXPECT_EQ(plan.back(), "ENTRY19 (2).lnk => /#r=\"ENTRY19\"");
}
