// The settings file's line reader and section scan, fed as Shift-JIS texts in-process.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/wine_test.h"

using namespace settings_test;

namespace {

struct ScanCase {
    const char* name;
    std::string text;
    std::string filters;
    std::string regexps;
};

}  // namespace

TEST(SettingsScan, WorkedExampleFillsTheTables) {
    korval_test::TempDir tools;
    korval_test::WriteBytes(tools / "view.exe", "MZ");
    ResetStartState();
    Parse(Lines({"[system]", "@sort=2", "%end", "[filter]", "Documents | Viewer", ">.txt;.doc", "Without images",
                 ">$.jpg;.png", "%end", "[exec]", tools / "view.exe | Viewer", ">/r", "%end"}));
    EXPECT_EQ(SystemOptions.sortMode, 2);
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Active);
    EXPECT_EQ(Filters(), "Documents/Viewer[.txt,.doc]; !Without images/[.jpg,.png]");
    EXPECT_STREQ(FilterEntry[0].patternText, ".txt;.doc");
    EXPECT_EQ(RegexpEntryCount, 0);
    EXPECT_EQ(Execs(), tools / "view.exe|Viewer|/r");
}

TEST(SettingsScan, SectionRulesDecideWhichLinesReachEachSection) {
    const ScanCase cases[] = {
        {"header inside a comment starts the section after that comment line",
         Lines({"[system]", "; the [filter] section follows", "A", ">.a", "%end", "[filter]", "B", ">.b", "%end"}),
         "A/[.a]", ""},
        {"without %end the filter section reads the regexp header and lines as its own",
         Lines({"[filter]", "A", ">.a", "[regexp]", "R", ">x", "%end"}), "A/[.a]; R/[x]", "R/{:x}"},
        {"the regexp header itself is a filter line there",
         Lines({"[filter]", "A", ">.a", "[regexp]", ">.r", "%end"}), "A/[.a]; [regexp]/[.r]", ""},
        {"a second header is an ordinary line and the sections are not merged",
         Lines({"[filter]", "A", ">.a", "%end", "[filter]", "B", ">.b", "%end"}), "A/[.a]", ""},
        {"a second header inside the section becomes a label",
         Lines({"[filter]", "A", "[FILTER]", ">.a", "%end"}), "[FILTER]/[.a]", ""},
        {"the last line without a line feed is not processed", "[filter]\r\nA\r\n>.a", "", ""},
        {"the last entry line without a line feed is dropped", "[filter]\nA\n>.a\nB\n>.b", "A/[.a]", ""},
        {"%end as the last line without a line feed changes nothing", "[filter]\r\nA\r\n>.a\r\n%end", "A/[.a]", ""},
        {"leading blanks and tabs are removed, blanks-then-semicolon is a comment",
         Lines({"[filter]", "  \t A", " \t>.a", "   ; B", "   %END of filters", "C", ">.c"}), "A/[.a]", ""},
        {"capital header and %End are recognised", Lines({"[FILTER]", "A", ">.a", "%End", "B", ">.b"}), "A/[.a]", ""},
        {"a tab inside a pattern disappears and joins the halves", Lines({"[filter]", "A", ">.t\txt"}), "A/[.txt]", ""},
        {"the header may stand in the middle of a line, the rest of that line is skipped",
         Lines({"junk [filter] Not A label", "A", ">.a"}), "A/[.a]", ""},
        {"%end must be at the start of the line", Lines({"[filter]", "A", ">.a", "x%end", ">.x", "B", ">.b"}),
         "A/[.a]; x%end/[.x]; B/[.b]", ""},
        {"Shift-JIS labels with trail byte 0x5C survive", Lines({"[filter]", "ソース表示 | 表示", ">.cpp;.h"}),
         "ソース表示/表示[.cpp,.h]", ""},
        {"no header: nothing", Lines({"A", ">.a"}), "", ""},
        {"a header after a zero byte is not found", std::string("x\0", 2) + Lines({"[filter]", "A", ">.a"}), "", ""},
    };
    for (const ScanCase& c : cases) {
        ResetStartState();
        Parse(c.text);
        EXPECT_EQ(Filters(), c.filters) << c.name;
        EXPECT_EQ(Regexps(), c.regexps) << c.name;
    }
}

TEST(SettingsScan, ParsingPutsTheRunSelectionAndOptionsIntoTheirStartingState) {
    ResetStartState();
    Parse(Lines({"[system]", "@sub", "@sort=1", "@bs", "@bar", "@param", "", "%end", "[filter]", "A", ">.a",
                 "[regexp]", "R", ">r", "[exec]", "notepad"}));
    ASSERT_EQ(FilterEntryCount, 2);
    FilterKind = kKindPatterns;
    SelectedFilterIndex = 1;
    InsideFolders = 1;
    Parse("");
    EXPECT_EQ(FilterEntryCount, 0);
    EXPECT_EQ(RegexpEntryCount, 0);
    EXPECT_EQ(ExecEntryCount, 0);
    EXPECT_EQ(SelectedFilterIndex, 0);
    EXPECT_EQ(FilterKind, kKindAll);
    EXPECT_EQ(AllLevels, 0);
    EXPECT_EQ(InsideFolders, 1) << "the Shift key's state is kept";
    EXPECT_EQ(SystemOptions.sortMode, 0);
    EXPECT_EQ(SystemOptions.keepFolderBackslash, 0);
    EXPECT_EQ(SystemOptions.showProgress, 0);
    EXPECT_EQ(SystemOptions.paramMode, 0);
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Active);
}

TEST(SettingsLineReader, ExtentsCutsAndDroppedBytes) {
    char line[kLineBytes];
    std::string text = "ab\r\tc\nrest";
    EXPECT_EQ(ReadSettingsLine(text.data(), text.size(), 0, line), 6u);
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(ReadSettingsLine(text.data(), text.size(), 6, line), 5u) << "no line feed: bytes left plus one";
    EXPECT_STREQ(line, "rest");
    EXPECT_EQ(ReadSettingsLine(text.data(), text.size(), 10, line), 1u);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(ReadSettingsLine(text.data(), text.size(), 50, line), 1u);

    std::string long600 = std::string(600, 'x') + "\nnext\n";
    EXPECT_EQ(ReadSettingsLine(long600.data(), long600.size(), 0, line), 601u);
    EXPECT_EQ(std::string(line), std::string(517, 'x'));
    EXPECT_EQ(ReadSettingsLine(long600.data(), long600.size(), 601, line), 5u);
    EXPECT_STREQ(line, "next");

    // The 517th byte would be the lead byte of ソ: it goes with its trail.
    std::string split = std::string(516, 'y') + "ソ" + "z\n";
    ReadSettingsLine(split.data(), split.size(), 0, line);
    EXPECT_EQ(std::string(line), std::string(516, 'y'));
    std::string whole = std::string(515, 'y') + "ソ" + "z\n";
    ReadSettingsLine(whole.data(), whole.size(), 0, line);
    EXPECT_EQ(std::string(line), std::string(515, 'y') + "ソ");
}

TEST(SettingsScan, LongLinesAreCutToTheirFields) {
    ResetStartState();
    std::string label = std::string(258, 'L') + "表";  // the double-byte character straddles the field's end
    Parse(Lines({"[filter]", label, ">" + std::string(300, 'p')}));
    ASSERT_EQ(FilterEntryCount, 1);
    EXPECT_EQ(std::string(FilterEntry[0].label), std::string(258, 'L'));
    EXPECT_EQ(std::string(FilterEntry[0].patternText), std::string(259, 'p'));
    ASSERT_EQ(FilterEntry[0].patternCount, 1);
    EXPECT_EQ(std::string(FilterEntry[0].patterns[0]), std::string(259, 'p'));
}
