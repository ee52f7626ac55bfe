// The "/#" switches, and the target list cut from a command line or from text lines against real folders and files.

#include "unit/settings/fixture.h"

TEST(ParseSwitches, NamesAndOutputFlagsAndTheFormsThatSetNothing) {
    const std::string n258(258, 'n');
    // The command line and the state: filter switch and text, expression switch and text, copy and start flags.
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\x /#F=\"表示 ソ\" /#e1", "2:表示 ソ 0: 10"}, {"/#f=\"a\" /#e1 /#E2", "0: 0: 11"}, {"/#f=\"Images", "0: 0: 0"},
        {"/#f=Images /#R=\"a.+b\"", "1: 2:a.+b 0"}, {"/#f=\"first\" /#f=\"second\" /#r", "2:first 1: 0"},
        {"/#f=\"" + n258 + "\"", "2:" + n258 + " 0: 0"}, {"/#f=\"" + n258 + "n\"", "0: 0: 0"},
    };
    for (const auto& [text, want] : cases) {
        FilterSwitch = RegexpSwitch = FilterSwitchText[0] = RegexpSwitchText[0] = 0;
        CopyToClipboard = StartAfterCopy = 7;
        ParseSwitches(text.c_str());
        EXPECT_EQ(std::to_string(FilterSwitch) + ":" + FilterSwitchText + " " + std::to_string(RegexpSwitch) + ":" +
                  RegexpSwitchText + " " + std::to_string(CopyToClipboard * 10 + StartAfterCopy), want) << text;
    }
}

TEST(SplitTargets, CommandLineAndLineModeUpToOneThousandEntries) {
    TempDir tree;
    MakeTree(tree.path(), {"dir a\\", "ソ\\", "file.txt", "two words.txt", "b\\x.txt"});
    Reset();
    Parse(System({"@param", "NAME | file.txt"}));
    lstrcpyA(ProgramFolder, (tree.path() + "\\").c_str());
    const std::string so = tree / "ソ", dir = tree / "dir a", file = tree / "file.txt", two = tree / "two words.txt";
    const std::string deep = MakeDeepFolder(tree.path(), kPathBytes - 1);
    const std::string x = tree / "b\\x.txt", macros = "%Korval%\\NAME \"%korval%\\dir a\"";
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand += file + " ";
    constexpr int kCommand = kCommandLineMode, kLine = kLineMode, kCommandWithParam = 2;
    const std::tuple<const char*, int, std::string, Paths, Paths> cases[] = {
        {"quoted, unquoted, quoted", kCommand, Quoted(dir) + " " + file + " " + Quoted(x), {dir}, {file, x}},
        {"quotes glued to other tokens", kCommand, file + Quoted(dir) + Quoted(two), {dir}, {file, two}},
        {"a trail byte 0x5C is no trailing backslash", kCommand, Quoted(so + "\\") + " " + so, {so, so}, {}},
        {"drive roots keep the drive and colon", kCommand, "Z:\\ " + Quoted("C:\\"), {"Z:", "C:"}, {}},
        {"a 259-byte folder given with its backslash", kCommand, deep + "\\", {deep}, {}},
        {"switches, missing go; twice stays", kCommand, "/#e1 " + x + "x  " + file + " " + file, {}, {file, file}},
        {"a tab joins, CR and LF vanish", kCommand, file + "\t" + file + " " + tree / "file\r\n.txt", {}, {file}},
        {"blanks in quotes go; unclosed quotes", kCommand, Quoted(" " + file + " ") + " \"" + dir, {}, {file}},
        {"keys need @param", kCommand, macros, {}, {}}, {"keys with @param", kCommandWithParam, macros, {dir}, {file}},
        {"lines: quotes end at a line feed; a 519-byte cut, trimmed", kLine, "\"" + file + "\n" + Quoted(two) + "\n" +
         file + std::string(600, ' ') + "\n" + std::string(600, 'x') + "\n" + file, {}, {two, file, file}},
        {"nothing after the thousandth entry is looked at", kCommand, thousand + Quoted(dir), {}, Paths(1000, file)},
        {"folders count too", kCommand, Quoted(dir) + " " + thousand, {dir}, Paths(999, file)},
    };
    for (const auto& [name, mode, text, folders, files] : cases) {
        SystemOptions.paramMode = mode == kCommandWithParam;
        SplitTargets(text.c_str(), mode == kLine ? kLine : kCommand);
        EXPECT_EQ(std::make_pair(Folders(), Files()), std::make_pair(folders, files)) << name;
    }
}
