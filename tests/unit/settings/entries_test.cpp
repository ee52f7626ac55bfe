// The [filter], [regexp] and [exec] sections: line pairing, markers, limits and the pattern splitter.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/wine_test.h"

using namespace settings_test;

namespace {

std::string Section(const char* header, std::initializer_list<std::string> lines) {
    std::string text = std::string(header) + "\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text + "%end\r\n";
}

struct TableCase {
    const char* name;
    std::string text;
    std::string table;
};

}  // namespace

TEST(FilterSection, LabelAndPatternLinesPairUp) {
    const TableCase cases[] = {
        {"a lone >$ makes an excluding entry without patterns", Section("[filter]", {"A", ">$"}), "!A/[]"},
        {"a second label line replaces the first", Section("[filter]", {"A", "B", ">.b"}), "B/[.b]"},
        {"comment and blank lines do not break a pair", Section("[filter]", {"A", "; note", "", "   ", ">.a"}),
         "A/[.a]"},
        {"a > alone drops the pending label", Section("[filter]", {"A", ">", ">.a"}), ""},
        {"a pattern line without a label is ignored", Section("[filter]", {">.a", "B", ">.b"}), "B/[.b]"},
        {"doubled and outer semicolons give no empty patterns", Section("[filter]", {"A", ">;.txt;;.log;"}),
         "A/[.txt,.log]"},
        {"a blank after a semicolon stays", Section("[filter]", {"A", ">.a; .b"}), "A/[.a, .b]"},
        {"only the first separator splits, other blanks stay", Section("[filter]", {"A  | B | C", ">.a"}),
         "A /B | C[.a]"},
        {"a label without separator has no exec label", Section("[filter]", {"A|B", ">.a"}), "A|B/[.a]"},
        {"an unfinished last label does not count", Section("[filter]", {"A", ">.a", "B"}), "A/[.a]"},
        {"folder words are ordinary patterns here", Section("[filter]", {"Folders", ">folder;.x"}),
         "Folders/[folder,.x]"},
    };
    for (const TableCase& c : cases) {
        ResetStartState();
        Parse(c.text);
        EXPECT_EQ(Filters(), c.table) << c.name;
    }
}

TEST(FilterSection, TwentyEntriesAndTwentyPatternsAtMost) {
    std::string text = "[filter]\r\n";
    for (int i = 0; i < 25; ++i) text += "E" + std::to_string(i) + "\r\n>.e" + std::to_string(i) + "\r\n";
    ResetStartState();
    Parse(text + "%end\r\n");
    ASSERT_EQ(FilterEntryCount, 20);
    EXPECT_STREQ(FilterEntry[19].label, "E19");
    EXPECT_STREQ(FilterEntry[19].patterns[0], ".e19");

    std::string many;
    for (int i = 1; i <= 25; ++i) many += ".p" + std::to_string(i) + ";";
    EXPECT_EQ(SplitPatternList(many.c_str(), 3), 1);
    ASSERT_EQ(FilterEntry[3].patternCount, 20);
    EXPECT_STREQ(FilterEntry[3].patterns[19], ".p20");
    EXPECT_EQ(std::string(FilterEntry[3].patternText), many);
    EXPECT_EQ(SplitPatternList(";;", 3), 0);
    EXPECT_EQ(FilterEntry[3].patternCount, 0);
}

TEST(RegexpSection, ExpressionLinesAndTheirMarkers) {
    const TableCase cases[] = {
        {"plain expression", Section("[regexp]", {"R | V", ">ab+c"}), "R/V{:ab+c}"},
        {"the first character is lost whatever it is", Section("[regexp]", {"R", "xabc"}), "R/{:abc}"},
        {"$ then * sets both", Section("[regexp]", {"R", ">$*abc"}), "R/{$*:abc}"},
        {"* then $ keeps the $ in the expression", Section("[regexp]", {"R", ">*$abc"}), "R/{*:$abc}"},
        {"a comment between the lines does not break the pair", Section("[regexp]", {"R", "; note", ">abc"}),
         "R/{:abc}"},
        {"a > line without a pending label is a label", Section("[regexp]", {">x", ">abc"}), ">x/{:abc}"},
        {"a one-character line is a label, not an expression", Section("[regexp]", {"R", ">", ">abc"}),
         ">/{:abc}"},
        {"the expression may be empty", Section("[regexp]", {"R", ">$"}), "R/{$:}"},
    };
    for (const TableCase& c : cases) {
        ResetStartState();
        Parse(c.text);
        EXPECT_EQ(Regexps(), c.table) << c.name;
    }
    std::string text = "[regexp]\r\n";
    for (int i = 0; i < 22; ++i) text += "R" + std::to_string(i) + "\r\n>x" + std::to_string(i) + "\r\n";
    ResetStartState();
    Parse(text);
    ASSERT_EQ(RegexpEntryCount, 20);
    EXPECT_STREQ(RegexpEntry[19].expression, "x19");
}

TEST(ExecSection, ProgramLinesResolveAndTakeTheirArguments) {
    korval_test::TempDir dir;
    korval_test::WriteBytes(dir / "view.exe", "MZ");
    korval_test::WriteBytes(dir / "表示.exe", "MZ");
    korval_test::MakeFolder(dir / "tools.exe");
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    const std::string view = dir / "view.exe";
    const TableCase cases[] = {
        {"label from the file name", Section("[exec]", {view, ">/r"}), view + "|view.exe|/r"},
        {"name without .exe is retried", Section("[exec]", {dir / "view | V"}), view + "|V|"},
        {"a double-byte program name", Section("[exec]", {dir / "表示 | 表"}), (dir / "表示.exe") + "|表|"},
        {"a semicolon line detaches the argument line",
         Section("[exec]", {view + " | V", "; comment", ">/a"}), view + "|V|"},
        {"a missing program drops its argument line too", Section("[exec]", {dir / "missing.exe", ">/a", view}),
         view + "|view.exe|"},
        {"a folder is no program", Section("[exec]", {dir / "tools.exe", view}), view + "|view.exe|"},
        {"an argument line after another argument line is a program line", Section("[exec]", {view, ">/a", ">/b"}),
         view + "|view.exe|/a"},
    };
    for (const TableCase& c : cases) {
        ResetStartState();
        Parse(c.text);
        EXPECT_EQ(Execs(), c.table) << c.name;
    }
    ResetStartState();
    Parse(Section("[exec]", {"notepad | N"}));
    ASSERT_EQ(ExecEntryCount, 1) << "a system program is found by the search order";
    EXPECT_NE(std::string(ExecEntry[0].program).find("notepad.exe"), std::string::npos) << ExecEntry[0].program;
    EXPECT_STREQ(ExecEntry[0].label, "N");
}

TEST(ExecSection, MacrosExpandWithParamAndTheTableStopsAtTwenty) {
    korval_test::TempDir dir;
    korval_test::WriteBytes(dir / "view.exe", "MZ");
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    ResetStartState();
    Parse(Lines({"[system]", "@param", "TOOL | view", "%end"}) +
          Section("[exec]", {"%Korval%\\TOOL.exe | V", ">/in %korval%\\x"}));
    EXPECT_EQ(Execs(), (dir / "view.exe") + "|V|/in " + (dir / "x"));

    ResetStartState();
    Parse(Section("[exec]", {"%Korval%\\view.exe | V"}));
    EXPECT_EQ(ExecEntryCount, 0) << "without @param the macro is not expanded";

    std::string text = "[exec]\r\n";
    for (int i = 0; i < 21; ++i) text += (dir / "view.exe | L") + std::to_string(i) + "\r\n>/" + std::to_string(i) + "\r\n";
    ResetStartState();
    Parse(text);
    ASSERT_EQ(ExecEntryCount, 20);
    EXPECT_STREQ(ExecEntry[19].label, "L19");
    EXPECT_STREQ(ExecEntry[19].arguments, "/19") << "the twentieth row still takes its argument line";
}
