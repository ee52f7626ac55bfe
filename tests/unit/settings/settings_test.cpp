// Reading the settings: the file chosen, its scan, each section's lines, program path resolution and macros.
#include <shlobj.h>

#include "fixture.h"

TEST(Settings, EachLineKindLeavesItsState) {
    TempDir dir;
    MakeTree(dir.path(), {"edit.exe", "view.exe", "表示.exe", "tools.exe\\"});
    WriteBytes(dir / "empty.txt", "");
    WriteBytes(dir / "one.txt", "x\r\nPATH=C:\\a;\tC:\\b\r\nmore\r\n");
    WriteBytes(dir / "joined.txt", "C:\\a;\r\n\tC:\\b\r\n");
    WriteBytes(dir / "long.txt", "path=" + std::string(5198, 'a') + "ソbc");
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    const std::string edit = "editor=" + dir / "edit.exe", view = dir / "view.exe", y509(509, 'y');
    std::string ten, tenPairs, many, twenty;
    for (int i = 1; i <= 10; ++i) ten += "k" + std::to_string(i) + " | " + std::to_string(i) + "\r\n";
    for (int i = 1; i <= 10; ++i) tenPairs += (i > 1 ? "; k" : "k") + std::to_string(i) + "=" + std::to_string(i);
    for (int i = 1; i <= 25; ++i) many += ".p" + std::to_string(i) + ";";
    for (int i = 1; i <= 20; ++i) twenty += (i > 1 ? ",.p" : ".p") + std::to_string(i);
    MouseButtonCount = 3;
    CheckRows({
        {"a header in a comment, the rest of its line skipped; only the first header counts",
         Text({"[system]", "; [filter] X", "A", ">.a", "%end", "[filter]", "B", ">b"}), "F:A/[.a]"},
        {"no %end: a section reads on", Text({"[filter]", "A", ">.a", "[regexp]", ">r", "R", ">x"}),
         "F:A/[.a]; [regexp]/[r]; R/[x] R:R/{:x}"},
        {"text after the last line feed is never processed", "[filter]\nA\n>.a\nB\n>.b", "F:A/[.a]"},
        {"capitals; blanks, tabs, blank lines, comments; %END with text after it",
         Text({"[FILTER]", "  \t A", "", "   ; B", "\t", " \t>.\ta", "   %END of it", "C", ">.c"}), "F:A/[.a]"},
        {"%end only at the start of a line", Text({"[filter]", "A", ">.a", "x%end", ">.x"}), "F:A/[.a]; x%end/[.x]"},
        {"trail byte 0x5C", Text({"[filter]", "ソース表示 | 表示", ">.cpp;.h"}), "F:ソース表示/表示[.cpp,.h]"},
        {"a header after a zero byte is not found", std::string("x\0", 2) + Text({"[filter]", "A", ">.a"}), ""},
        {"a line keeps 517 bytes; the rest is skipped, not read as a line",
         System({"@path=" + std::string(511, 'x') + "@sort=2"}), "path=" + std::string(511, 'x')},
        {"a character across the cut goes whole", System({"@path=y" + y509 + "ソz"}), "path=y" + y509},
        {"a character before it stays", System({"@path=" + y509 + "ソz"}), "path=" + y509 + "ソ"},
        {"only the directive's length counts", System({"@sort=12", "@subway", "@bsx", "@barn"}), "s1 sub11 bs bar"},
        {"capitals, blanks before; the last wins; unknown", System({"@sort=1", " \t@SORT=2", "@sort=3", "@ba"}), "s2"},
        {"mouse", System({"@menu=mouse"}), "menu=Mouse"}, {"mous2", System({"@menu=mous2"}), "menu=Mouse2"},
        {"mouse before a comma ends reading", System({"@menu=mouse,10"}), "menu=Mouse"},
        {"MAX twice", System({"@menu=MAX,MAX"}), "menu=1000,700"},
        {"max at the line's end must be in capitals", System({"@menu=max,max"}), "menu=1000,0"},
        {"max before a comma may be in any case", System({"@menu=100,max,"}), "menu=100,700"},
        {"seven digits keep six", System({"@menu=1234567,5"}), "menu=123456,5"},
        {"a character that does not fit ends the token", System({"@menu=12345あ6,12345あ6"}), "menu=12345,12345"},
        {"a lead byte before a comma leaves the comma", System({"@menu=200\x82,150"}), "menu=200,150"},
        {"a word in capitals before the comma ends reading", System({"@menu=CENTER,10,20"}), "menu=Center"},
        {"the first @menu= of 3 characters wins", System({"@menu=ab", "@menu=abc", "@menu=center"}), ""},
        {"the switch wins, in capitals, up to a space", System({"@menu=center"}), "menu=200,150", "/#M=200,150 C:\\x"},
        {"an unknown switch word still skips @menu=", System({"@menu=100,100"}), "", "/#m=nowhere"},
        {"an empty switch value sets nothing", System({"@menu=mouse"}), "menu=Mouse", "/#m= center"},
        {"a switch value of 259 bytes", System({"@menu=mouse"}), "menu=Mouse", "/#m=center" + std::string(253, 'x')},
        {"a blank line ends an empty table", System({"@param", "", "A | 1", "@sort=2"}), "s2 param[]"},
        {"%end ends the table and the section", System({"@param", "A | 1"}) + "@sort=1\r\n", "param[A=1]"},
        {"raw pair lines; an empty key skipped; keys keep 19 bytes, split at the first separator",
         System({"@param", "  ;c  |  v ", " | v", std::string(25, 'k') + " | B | C"}),
         "param[  ;c = v ; " + std::string(19, 'k') + "=B | C]"},
        {"an unterminated last line is no pair", "[system]\r\n@param\r\nA | 1\r\nB | 2", "param[A=1]"},
        {"@param anew after a directive; an eleventh pair is a plain line",
         System({"@param", "A | 1", "@sort=1", "@param", ten + "@sort=2 | 11"}), "s2 param[" + tenPairs + "]"},
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
        {"filter lines: no label, a bare |, a lone >$, a lone >, a second label, blanks, empty and 25 patterns",
         Section("[filter]", {">.a", "A|B", ">$", "X", ">", ">.x", "A", "B", ">.b", "A  | B | C", ">.a", "A",
                              ">;.t;; .l;", "A", ">" + many}),
         "F:!A|B/[]; B/[.b]; A /B | C[.a]; A/[.t, .l]; A/[" + twenty + "]"},
        {"regexp lines: the first character lost, $ then *, * then $, > as a label",
         Section("[regexp]", {"R | V", "xab+c", "R", ">$*abc", "R", ">*$abc", ">x", ">", ">ab"}),
         "R:R/V{:ab+c}; R/{$*:abc}; R/{*:$abc}; >/{:ab}"},
        {"regexp lines: a first character lost whole, a lead byte before $ alone",
         Section("[regexp]", {"R", "表$x", "S", "\x82$y"}), "R:R/{$:x}; S/{$:y}"},
        {"exec lines: .exe retry, missing programs, folders, ; lines and second > lines detach; file name labels",
         Section("[exec]", {dir / "表示 | 表", dir / "missing.exe", ">/a", dir / "tools.exe", ">/a", view + " | V", "; c",
                            ">/a", view, ">/r", ">/b"}),
         "X:" + dir / "表示.exe|表|; " + view + "|V|; " + view + "|view.exe|/r"},
        {"macros expand in both lines with @param",
         System({"@param", "TOOL | view"}) + Section("[exec]", {"%Korval%\\TOOL.exe | V", ">/in %korval%\\x"}),
         "param[TOOL=view] X:" + view + "|V|/in " + dir / "x"},
        {"without @param no macro expands", Section("[exec]", {"%Korval%\\view.exe | V"}), ""},
        {"the worked example", Text({"[system]", "@sort=2", "%end", "[filter]", "Documents | Viewer", ">.txt;.doc",
         "Without images", ">$.jpg;.png", "%end", "[exec]", view + " | Viewer", ">/r", "%end"}),
         "s2 F:Documents/Viewer[.txt,.doc]; !Without images/[.jpg,.png] X:" + view + "|Viewer|/r"},
    });
    EXPECT_STREQ(FilterEntry[0].patternText, ".txt;.doc") << "the worked example keeps its pattern line as written";
    SystemOptions.searchPathSet = 1;
    ReadSearchPathFile((dir / "missing.txt").c_str());
    EXPECT_EQ(SystemOptions.searchPathSet, 0) << "a file that cannot be opened leaves no search path";
    MouseButtonCount = 0;
    CheckRows({{"mouse without a mouse", System({"@menu=mouse"}), ""}, {"nor mous2", System({"@menu=mous2"}), ""}});
}

TEST(LoadSettings, CandidatesInOrderTheSettingsSwitchAndTheStateParsingStartsFrom) {
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
    lstrcpyA(DefaultSettingsName, "Tool.ini");
    for (const auto& [name, files, switches, used] : cases) {
        TempDir dir;
        for (const std::string& file : files) WriteBytes(dir / file, "[filter]\r\n" + file + "\r\n>.x\r\n");
        lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
        Reset();
        ParseSwitches(switches);
        // Korval.ini is never named by the switch: loading alone falls back to it.
        const std::string named = SettingsPath;
        // The run's selection is reset, the shift key's inside-folders flag is not.
        InsideFolders = SelectedFilterIndex = FilterEntryCount = 1;
        FilterKind = kKindPatterns;
        const int loaded = LoadSettings(nullptr);
        const std::string want = dir / used + " sub01" + (files.empty() ? "" : " F:" + std::string(used) + "/[.x]");
        EXPECT_EQ(std::make_tuple(loaded, FilterKind, SelectedFilterIndex, named, SettingsPath + (" " + State()),
                                  ReadBytes(dir / used).value_or("?").empty()),
                  std::make_tuple(1, kKindAll, 0, dir / (*switches ? used : "Tool.ini"), want, files.empty())) << name;
    }
}

TEST(ProgramPaths, ResolutionWithAndWithoutTheExeRetryThenMacrosInOrderNeverLoopingAndCut) {
    TempDir dir;
    MakeTree(dir.path(), {"bin\\tool.exe", "bin\\notepad.exe", "other\\tool.exe", "local\\run.exe", "sub\\"});
    lstrcpyA(SystemOptions.searchPath, (dir / "bin;" + dir / "other").c_str());
    SetCurrentDirectoryA(dir.path().c_str());
    // The name, the retry, whether the search path is set, the found flag and the result; a result starting with
    // "*" is a file that must exist and end with the rest.
    const std::tuple<const char*, std::string, int, int, int, std::string> cases[] = {
        {"a folder", dir / "sub", 1, 1, 1, dir / "sub"}, {"no retry, no .exe", "local\\run", 0, 1, 0, "local\\run"},
        {"a relative name with .exe added, against the current folder", "local\\run", 1, 1, 1, dir / "local\\run.exe"},
        {"the first folder of the search path", "tool.exe", 0, 1, 1, dir / "bin\\tool.exe"},
        {"the .exe retry in the search path", "tool", 1, 1, 1, dir / "bin\\tool.exe"},
        {"an unset search path is not searched", "tool", 1, 0, 0, "tool"},
        {"the system order with the retry", "notepad", 1, 0, 1, "*\\notepad.exe"},
        {"no retry in the search path nor the system order", "notepad", 0, 1, 0, "notepad"},
        {"the system order for the full name", "NOTEPAD.EXE", 0, 0, 1, "*\\notepad.exe"},
        {"a name too long for a path", std::string(300, 'n'), 1, 1, 0, std::string(259, 'n')},
    };
    for (const auto& [name, input, retry, searchPathSet, found, want] : cases) {
        SystemOptions.searchPathSet = searchPathSet;
        char result[kPathBytes];
        EXPECT_EQ(ResolveProgramPath(input.c_str(), retry, result), found) << name;
        EXPECT_TRUE(want[0] == '*' ? StrStrIA(result, want.c_str() + 1) && PathFileExistsA(result) : want == result)
            << name << ": " << result;
    }
    // Leaving the folder lets it be removed.
    SetCurrentDirectoryA("C:\\");
    char path[MAX_PATH];
    auto shell = [&path](int id) -> std::string { return SHGetSpecialFolderPathA(0, path, id, FALSE) ? path : "?"; };
    const std::string desktop = shell(CSIDL_DESKTOP);
    std::string appFiles = shell(CSIDL_PROGRAM_FILES);
    appFiles.replace(appFiles.find("Program"), 7, "App");
    // Each copy of this folder is 65 bytes, its last character double-byte: the eighth copy loses it at the cut.
    const std::string wide = "C:\\" + std::string(60, 'f') + "表";
    std::string twelve, cut;
    for (int i = 0; i < 12; ++i) twelve += "%Korval%";
    for (int i = 0; i < 8; ++i) cut += i < 7 ? wide : wide.substr(0, wide.size() - 2);
    // The program folder, the @param pair lines, the text and its expansion.
    const std::tuple<const char*, std::string, std::string, std::string, std::string> expansions[] = {
        {"any case; temp_Korv is the desktop", "C:\\K\\", "", "%windows%|%temp_Korv%|%Desktop%|%Common My Documents%",
         shell(CSIDL_WINDOWS) + "|" + desktop + "|" + desktop + "|" + shell(CSIDL_COMMON_DOCUMENTS)},
        {"the program folder twice; a drive root", "D:\\", "", "%Korval%\\x;%KORVAL%", "D:\\x;D:"},
        {"a folder holding its own macro", "C:\\x%Korval%y\\", "", "%Korval%", "C:\\x%Korval%y"},
        {"cut on a character boundary", wide + "\\", "", twelve, cut},
        {"keys are found inside expanded folders", "C:\\K\\", "Program | App", "%Program Files%", appFiles},
        {"a value holding its key, in any case", "C:\\K\\", "ab | xaby", "ab-AB", "xaby-xaby"},
        {"later keys are found in earlier values", "C:\\K\\", "a | b\r\nb | c", "a", "c"},
        {"a folder macro in a value stays", "C:\\K\\", "D | %Windows%", "D", "%Windows%"},
    };
    for (const auto& [name, folder, pairs, text, want] : expansions) {
        Reset();
        Parse("[system]\r\n@param\r\n" + pairs + "\r\n");
        lstrcpyA(ProgramFolder, folder.c_str());
        char result[kExpandBytes];
        ExpandMacros(text.c_str(), result);
        EXPECT_EQ(std::string(result), want) << name;
    }
}
