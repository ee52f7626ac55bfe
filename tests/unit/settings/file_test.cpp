// The settings file: which file is loaded, how its lines are scanned, and the state parsing starts from.
#include <gtest/gtest.h>

#include <tuple>

#include "fixture.h"

using namespace fixture;

TEST(SettingsScan, SectionRulesDecideWhichLinesReachEachSection) {
    const std::string y509(509, 'y');
    CheckRows({
        {"a header in a comment, the rest of its line skipped",
         Lines({"[system]", "; [filter] X", "A", ">.a", "%end", "[filter]", "B", ">b"}), "F:A/[.a]"},
        {"no %end: a section reads on", Lines({"[filter]", "A", ">.a", "[regexp]", ">r", "R", ">x"}),
         "F:A/[.a]; [regexp]/[r]; R/[x] R:R/{:x}"},
        {"only the first header counts", Lines({"[filter]", "A", ">.a", "%end", "[filter]", "B", ">.b"}), "F:A/[.a]"},
        {"text after the last line feed is never processed", "[filter]\nA\n>.a\nB\n>.b", "F:A/[.a]"},
        {"capitals; blanks, tabs, blank lines, comments; %END with text after it",
         Lines({"[FILTER]", "  \t A", "", "   ; B", "\t", " \t>.\ta", "   %END of it", "C", ">.c"}), "F:A/[.a]"},
        {"%end only at the start of a line", Lines({"[filter]", "A", ">.a", "x%end", ">.x"}), "F:A/[.a]; x%end/[.x]"},
        {"trail byte 0x5C", Lines({"[filter]", "ソース表示 | 表示", ">.cpp;.h"}), "F:ソース表示/表示[.cpp,.h]"},
        {"no header, no section", Lines({"A", ">.a"}), ""},
        {"a header after a zero byte is not found", std::string("x\0", 2) + Lines({"[filter]", "A", ">.a"}), ""},
        {"a line keeps 517 bytes; the rest is skipped, not read as a line",
         Section("[system]", {"@path=" + std::string(511, 'x') + "@sort=2"}), "path=" + std::string(511, 'x')},
        {"a character across the cut goes whole", Section("[system]", {"@path=y" + y509 + "ソz"}), "path=y" + y509},
        {"a character before it stays", Section("[system]", {"@path=" + y509 + "ソz"}), "path=" + y509 + "ソ"},
    });
}

TEST(SettingsScan, ParsingResetsTheRunSelectionButKeepsTheShiftKey) {
    Reset();
    InsideFolders = SelectedFilterIndex = 1;
    FilterKind = kKindPatterns;
    Parse("");
    EXPECT_EQ(std::make_tuple(InsideFolders, FilterKind, SelectedFilterIndex), std::make_tuple(1, kKindAll, 0));
}

TEST(LoadSettings, CandidatesInOrderAndTheSettingsSwitch) {
    // The files beside the program, its command line, and the file it must use.
    const std::tuple<const char*, Paths, const char*, const char*> cases[] = {
        {"the program's own file before Korval.ini", {"Tool.ini", "Korval.ini"}, "", "Tool.ini"},
        {"Korval.ini when it is the only one", {"Korval.ini"}, "", "Korval.ini"},
        {"/#s= in capitals naming an existing file", {"Tool.ini", "設定ソ.ini"}, "C:\\x /#S=設定ソ.ini", "設定ソ.ini"},
        {"/#s= naming a missing file", {"Tool.ini"}, "/#s=missing.ini", "Tool.ini"},
        {"/#s= keeps quotes in the name", {"Tool.ini", "other.ini"}, "/#s=\"other.ini\"", "Tool.ini"},
        {"/#s= with an empty name", {"Tool.ini"}, "/#s= x", "Tool.ini"},
        {"/#s= with a full path", {"Tool.ini"}, "/#s=C:\\windows\\win.ini", "Tool.ini"},
        {"no file at all: the own one is created empty", {}, "/#s=missing.ini", "Tool.ini"},
    };
    for (const auto& [name, files, switches, used] : cases) {
        TempDir dir;
        for (const std::string& file : files) WriteBytes(dir / file, "[filter]\r\n" + file + "\r\n>.x\r\n");
        lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
        lstrcpyA(DefaultSettingsName, "Tool.ini");
        Reset();
        ParseSwitches(switches);
        // Korval.ini is never named by the switch: loading alone falls back to it.
        EXPECT_EQ(std::string(SettingsPath), dir / (*switches ? used : "Tool.ini")) << name;
        FilterEntryCount = 3;
        ASSERT_EQ(LoadSettings(nullptr), 1) << name;
        EXPECT_EQ(std::string(SettingsPath) + " " + State(),
                  dir / used + (files.empty() ? " " : " F:" + std::string(used) + "/[.x]")) << name;
        EXPECT_EQ(ReadBytes(dir / used).value_or("?").empty(), files.empty()) << name;
    }
}
