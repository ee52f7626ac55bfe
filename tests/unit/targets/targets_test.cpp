// The "/#" switches, and the target list cut from a command line or from text lines against real folders and files.
#include <gtest/gtest.h>

#include <tuple>

#include "unit/settings/fixture.h"

using namespace fixture;

TEST(ParseSwitches, NamesAndOutputFlagsAndTheFormsThatSetNothing) {
    const std::string n258(258, 'n');
    // The command line and the state: filter switch and text, expression switch and text, copy and start flags.
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\x /#F=\"表示 ソ\" /#e1", "2:表示 ソ 0: 10"},
        {"/#f=\"\" /#E2", "0: 0: 11"},
        {"/#f=\"a\" /#e1 /#e2", "0: 0: 11"},
        {"/#f=\"Images", "0: 0: 0"},
        {"/#f=Images /#R=\"a.+b\"", "1: 2:a.+b 0"},
        {"/#f=\"first\" /#f=\"second\" /#r", "2:first 1: 0"},
        {"/#f=\"" + n258 + "\"", "2:" + n258 + " 0: 0"},
        {"/#f=\"" + n258 + "n\"", "0: 0: 0"},
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
    Paths names = {"dir a\\", "ソ\\", "file.txt", "two words.txt", "b\\x.txt"}, thousand;
    std::string twice;
    for (int i = 0; i < 1200; ++i) {
        if (i < 600) names.push_back("f" + std::to_string(i));
        if (i < 1000) thousand.push_back(tree / "f" + std::to_string(i % 600));
        twice += tree / "f" + std::to_string(i % 600) + " ";
    }
    MakeTree(tree.path(), names);
    Reset();
    Parse(System({"@param", "NAME | file.txt"}));
    lstrcpyA(ProgramFolder, (tree.path() + "\\").c_str());
    const std::string so = tree / "ソ", dir = tree / "dir a", file = tree / "file.txt", two = tree / "two words.txt";
    const std::string x = tree / "b\\x.txt", macros = "%Korval%\\NAME \"%korval%\\dir a\"";
    constexpr int kCommand = kCommandLineMode, kLine = kLineMode, kCommandWithParam = 2;
    const std::tuple<const char*, int, std::string, Paths, Paths> cases[] = {
        {"quoted, unquoted, quoted", kCommand, Quoted(dir) + " " + file + " " + Quoted(x), {dir}, {file, x}},
        {"quotes glued to other tokens", kCommand, file + Quoted(dir) + Quoted(two), {dir}, {file, two}},
        {"a trail byte 0x5C is no trailing backslash", kCommand, Quoted(so + "\\") + " " + so, {so, so}, {}},
        {"drive roots keep the drive and colon", kCommand, "Z:\\ " + Quoted("C:\\"), {"Z:", "C:"}, {}},
        {"switches and missing paths drop, twice stays twice", kCommand, "/#e1 " + x + "x  " + file + " " + file, {},
         {file, file}},
        {"a tab joins, CR and LF vanish", kCommand, file + "\t" + file + " " + tree / "file\r\n.txt",
         {}, {file}},
        {"blanks in quotes go; unclosed quotes name nothing", kCommand, Quoted(" " + file + " ") + " \"" + dir, {},
         {file}},
        {"macros and keys need @param", kCommand, macros, {}, {}},
        {"macros and keys with @param", kCommandWithParam, macros, {dir}, {file}},
        {"whole lines, trimmed", kLine, "  " + two + "  \r\n" + dir + "\r\n\r\n   \r\n" + file, {dir}, {two, file}},
        {"quotes group, a line feed ends them", kLine, "\"" + file + "\n" + Quoted(two) + "\n", {}, {two}},
        {"tokens are cut at 519 bytes, then trimmed", kLine,
         file + std::string(600, ' ') + "\n" + std::string(600, 'x') + "\n" + file, {}, {file, file}},
        {"nothing after the thousandth entry is looked at", kCommand, twice + Quoted(dir), {}, thousand},
        {"folders count too", kCommand, Quoted(dir) + " " + twice, {dir}, Paths(&thousand[0], &thousand[999])},
    };
    for (const auto& [name, mode, text, folders, files] : cases) {
        SystemOptions.paramMode = mode == kCommandWithParam;
        SplitTargets(text.c_str(), mode == kLine ? kLine : kCommand);
        EXPECT_EQ(std::make_pair(Folders(), Files()), std::make_pair(folders, files)) << name;
    }
    Reset();
}
