// The four sections' lines: directives, menu placement against its switch, @param, search path, editor, entries.
#include <gtest/gtest.h>

#include <tuple>

#include "fixture.h"

using namespace fixture;

TEST(SystemSection, DirectivesMenuAndParamTable) {
    std::string ten, tenPairs;
    for (int i = 1; i <= 10; ++i) {
        ten += (i > 1 ? "\r\nk" : "k") + std::to_string(i) + " | " + std::to_string(i);
        tenPairs += (i > 1 ? "; k" : "k") + std::to_string(i) + "=" + std::to_string(i);
    }
    MouseButtonCount = 3;
    CheckRows({
        {"only the directive's length counts", System({"@sort=12", "@subway", "@bsx", "@barn"}), "s1 sub11 bs bar"},
        {"capitals, blanks before; the last wins; unknown", System({"@sort=1", " \t@SORT=2", "@sort=3", "@ba"}), "s2"},
        {"mouse", System({"@menu=mouse"}), "menu=Mouse"},
        {"mous2", System({"@menu=mous2"}), "menu=Mouse2"},
        {"a word in capitals", System({"@menu=CENTER"}), "menu=Center"},
        {"two numbers", System({"@menu=200,150"}), "menu=200,150"},
        {"MAX twice", System({"@menu=MAX,MAX"}), "menu=1000,700"},
        {"max at the line's end must be in capitals", System({"@menu=max,max"}), "menu=1000,0"},
        {"max before a comma may be in any case", System({"@menu=100,max,"}), "menu=100,700"},
        {"seven digits keep six", System({"@menu=1234567,5"}), "menu=123456,5"},
        {"a word before the comma ends reading", System({"@menu=center,10,20"}), "menu=Center"},
        {"the first counting @menu= wins, known or not", System({"@menu=abc", "@menu=center"}), ""},
        {"two characters do not count", System({"@menu=ab", "@menu=center"}), "menu=Center"},
        {"the switch wins, in capitals, up to a space", System({"@menu=center"}), "menu=200,150", "/#M=200,150 C:\\x"},
        {"an unknown switch word still skips @menu=", System({"@menu=100,100"}), "", "/#m=nowhere"},
        {"an empty switch value sets nothing", System({"@menu=mouse"}), "menu=Mouse", "/#m= center"},
        {"a switch value of 259 bytes", System({"@menu=mouse"}), "menu=Mouse", "/#m=center" + std::string(253, 'x')},
        {"a blank line ends an empty table", System({"@param", "", "A | 1", "@sort=2"}), "s2 param[]"},
        {"%end ends the table and the section", System({"@param", "A | 1"}) + "@sort=1\r\n", "param[A=1]"},
        {"pair lines are raw: blanks and a leading ; stay", System({"@param", "  ;c  |  v "}), "param[  ;c = v ]"},
        {"an empty key is skipped, the table goes on", System({"@param", " | v", "B | 2"}), "param[B=2]"},
        {"keys keep 19 bytes; the first separator splits", System({"@param", std::string(25, 'k') + " | B | C"}),
         "param[" + std::string(19, 'k') + "=B | C]"},
        {"@param anew after a directive", System({"@param", "A | 1", "@sort=1", "@param", "B | 2"}), "s1 param[B=2]"},
        {"an unterminated last line is no pair", "[system]\r\n@param\r\nA | 1\r\nB | 2", "param[A=1]"},
        {"an eleventh pair is an ordinary line", System({"@param", ten, "@sort=2 | 11"}), "s2 param[" + tenPairs + "]"},
    });
    MouseButtonCount = 0;
    CheckRows({{"mouse without a mouse", System({"@menu=mouse"}), ""}, {"nor mous2", System({"@menu=mous2"}), ""}});
}

TEST(SystemSection, SearchPathAndEditor) {
    TempDir dir;
    WriteBytes(dir / "one.txt", "x\r\nPATH=C:\\a;\tC:\\b\r\nmore\r\n");
    WriteBytes(dir / "joined.txt", "C:\\a;\r\n\tC:\\b\r\n");
    WriteBytes(dir / "empty.txt", "");
    WriteBytes(dir / "long.txt", "path=" + std::string(5198, 'a') + "ソbc");
    WriteBytes(dir / "edit.exe", "MZ");
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    const std::string edit = "editor=" + dir / "edit.exe";
    CheckRows({
        {"folders as written; no value, no change", System({"@path=C:\\x;D:\\y", "@path="}), "path=C:\\x;D:\\y"},
        {"the line after path=, in any case, without tabs", System({"@path=" + dir / "one.txt"}), "path=C:\\a;C:\\b"},
        {"without path= the lines are joined", System({"@path=" + dir / "joined.txt"}), "path=C:\\a;C:\\b"},
        {"an empty file leaves none, not even earlier", System({"@path=C:\\x", "@path=" + dir / "empty.txt"}), ""},
        {"a folder is the list itself", System({"@path=" + dir.path()}), "path=" + dir.path()},
        {"cut on a character at 5199", System({"@path=" + dir / "long.txt"}), "path=" + std::string(5198, 'a')},
        {"the .exe retry; later names that are missing or folders change nothing",
         System({"@editor=" + dir / "edit", "@editor=no-such-editor", "@editor=" + dir.path()}), edit},
        {"macros expand with @param", System({"@param", "@editor=%Korval%\\edit"}), "param[] " + edit},
        {"without @param the macro stays and names nothing", System({"@editor=%Korval%\\edit"}), ""},
    });
    ReadSearchPathFile((dir / "missing.txt").c_str());
    EXPECT_EQ(SystemOptions.searchPathSet, 0) << "a file that cannot be opened leaves no search path";
}

TEST(EntrySections, LinesPairUpPerSectionUpToTwentyEntries) {
    TempDir dir;
    MakeTree(dir.path(), {"view.exe", "表示.exe", "tools.exe\\"});
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    const std::string view = dir / "view.exe";
    std::string many, twenty;
    for (int i = 1; i <= 25; ++i) many += ".p" + std::to_string(i) + ";";
    for (int i = 1; i <= 20; ++i) twenty += (i > 1 ? ",.p" : ".p") + std::to_string(i);
    CheckRows({
        {"a lone >$ excludes; a bare | is no separator", Section("[filter]", {"A|B", ">$"}), "F:!A|B/[]"},
        {"a > alone drops the pending label", Section("[filter]", {"A", ">", ">.a"}), ""},
        {"no label, no pattern line; a second label wins", Section("[filter]", {">.a", "A", "B", ">.b"}), "F:B/[.b]"},
        {"only the first separator splits, blanks stay", Section("[filter]", {"A  | B | C", ">.a"}), "F:A /B | C[.a]"},
        {"no empty patterns, a blank after ; stays", Section("[filter]", {"A", ">;.t;; .l;"}), "F:A/[.t, .l]"},
        {"25 patterns keep the first 20", Section("[filter]", {"A", ">" + many}), "F:A/[" + twenty + "]"},
        {"the first character is lost whatever it is", Section("[regexp]", {"R | V", "xab+c"}), "R:R/V{:ab+c}"},
        {"$ then * sets both", Section("[regexp]", {"R", ">$*abc"}), "R:R/{$*:abc}"},
        {"* then $ keeps the $ in the expression", Section("[regexp]", {"R", ">*$abc"}), "R:R/{*:$abc}"},
        {"a comment between the lines", Section("[regexp]", {"R", "; note", ">abc"}), "R:R/{:abc}"},
        {"> starts labels when none is pending", Section("[regexp]", {">x", ">", ">ab"}), "R:>/{:ab}"},
        {"the label from the file name, the arguments", Section("[exec]", {view, ">/r"}), "X:" + view + "|view.exe|/r"},
        {"the .exe retry for a double-byte name", Section("[exec]", {dir / "表示 | 表"}), "X:" + dir / "表示.exe|表|"},
        {"a ; line detaches the arguments", Section("[exec]", {view + " | V", "; c", ">/a"}), "X:" + view + "|V|"},
        {"missing programs and folders drop their lines",
         Section("[exec]", {dir / "missing.exe", ">/a", dir / "tools.exe", view}), "X:" + view + "|view.exe|"},
        {"a second > line is a program line", Section("[exec]", {view, ">/a", ">/b"}), "X:" + view + "|view.exe|/a"},
        {"macros expand in both lines with @param",
         System({"@param", "TOOL | view"}) + Section("[exec]", {"%Korval%\\TOOL.exe | V", ">/in %korval%\\x"}),
         "param[TOOL=view] X:" + view + "|V|/in " + dir / "x"},
        {"without @param no macro expands", Section("[exec]", {"%Korval%\\view.exe | V"}), ""},
        {"the worked example", Lines({"[system]", "@sort=2", "%end", "[filter]", "Documents | Viewer", ">.txt;.doc",
         "Without images", ">$.jpg;.png", "%end", "[exec]", view + " | Viewer", ">/r", "%end"}),
         "s2 F:Documents/Viewer[.txt,.doc]; !Without images/[.jpg,.png] X:" + view + "|Viewer|/r"},
    });
    EXPECT_STREQ(FilterEntry[0].patternText, ".txt;.doc") << "the worked example keeps its pattern line as written";
    std::string filters = "[filter]\r\n", regexps = "[regexp]\r\n", execs = "[exec]\r\n";
    for (int i = 0; i < 25; ++i) {
        const std::string n = std::to_string(i);
        filters += "E" + n + "\r\n>.e" + n + "\r\n";
        regexps += "R" + n + "\r\n>x" + n + "\r\n";
        execs += view + " | L" + n + "\r\n>/" + n + "\r\n";
    }
    Parse(filters + regexps + execs);
    EXPECT_EQ(std::make_tuple(FilterEntryCount, RegexpEntryCount, ExecEntryCount), std::make_tuple(20, 20, 20));
    EXPECT_EQ(std::string(FilterEntry[19].label) + RegexpEntry[19].expression + ExecEntry[19].label +
                  ExecEntry[19].arguments, "E19x19L19/19") << "the twentieth exec row still takes its argument line";
}
