// Cutting the command line and clipboard text into targets, against real folders and files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/tables.h"
#include "support/wine_test.h"
#include "targets/targets.h"

using namespace korval_test;

namespace {

std::vector<std::string> Folders() {
    return std::vector<std::string>(TargetFolders, TargetFolders + TargetFolderCount);
}

std::vector<std::string> Files() {
    return std::vector<std::string>(TargetFiles, TargetFiles + TargetFileCount);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

using Paths = std::vector<std::string>;

// A tree shared by the cases: folders with blanks and with ソ (83 5C), files beside them.
class SplitTargetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTree(tree.path(), {"dir a\\", "dir b\\x.txt", "plain\\", "ソ\\", "file.txt", "two words.txt", "表\\b.txt"});
        SystemOptions.paramMode = 0;
        ParamEntryCount = 0;
    }
    TempDir tree;
};

}  // namespace

TEST_F(SplitTargetsTest, CommandLineTokensInOrder) {
    struct Case {
        const char* name;
        std::string text;
        Paths folders;
        Paths files;
    };
    const std::string so = tree / "ソ";
    const Case cases[] = {
        {"quoted, unquoted, quoted", Quoted(tree / "dir a") + " " + (tree / "file.txt") + " " + Quoted(tree / "dir b\\x.txt"),
         {tree / "dir a"}, {tree / "file.txt", tree / "dir b\\x.txt"}},
        {"quotes glued to other tokens", (tree / "file.txt") + Quoted(tree / "dir a") + Quoted(tree / "two words.txt"),
         {tree / "dir a"}, {tree / "file.txt", tree / "two words.txt"}},
        {"a trail byte 0x5C is no trailing backslash", Quoted(so + "\\") + " " + so, {so, so}, {}},
        {"a trailing backslash is removed", (tree / "plain\\") + " " + (tree / "表\\"), {tree / "plain", tree / "表"}, {}},
        {"drive roots keep the drive and colon", "Z:\\ " + Quoted("C:\\"), {"Z:", "C:"}, {}},
        {"the same file twice is listed twice", (tree / "file.txt") + "  " + (tree / "file.txt"), {},
         {tree / "file.txt", tree / "file.txt"}},
        {"a tab joins two paths into nothing", (tree / "file.txt") + "\t" + (tree / "file.txt"), {}, {}},
        {"line feeds and carriage returns are dropped in command-line mode",
         (tree / "file") + "\r\n.txt", {}, {tree / "file.txt"}},
        {"switches and missing paths are dropped", "/#f=\"x\" /#e1 " + (tree / "missing") + " " + (tree / "file.txt"), {},
         {tree / "file.txt"}},
        {"an unclosed quote names nothing", (tree / "file.txt") + " \"" + (tree / "dir a"), {}, {tree / "file.txt"}},
        {"blanks inside quotes are trimmed", "\"  " + (tree / "file.txt") + "  \"", {}, {tree / "file.txt"}},
        {"unquoted blanks split a path", tree / "two words.txt", {}, {}},
        {"an empty line", "", {}, {}},
        {"only switches", "/#f /#r /#c /#k=sft", {}, {}},
    };
    for (const Case& c : cases) {
        SplitTargets(c.text.c_str(), kCommandLineMode);
        EXPECT_EQ(Folders(), c.folders) << c.name;
        EXPECT_EQ(Files(), c.files) << c.name;
    }
}

TEST_F(SplitTargetsTest, LineModeTakesWholeTrimmedLines) {
    struct Case {
        const char* name;
        std::string text;
        Paths folders;
        Paths files;
    };
    const Case cases[] = {
        {"CR LF lines with blanks inside and around",
         "  " + (tree / "two words.txt") + "  \r\n" + (tree / "dir a") + "\r\n\r\n   \r\n" + (tree / "file.txt"),
         {tree / "dir a"}, {tree / "two words.txt", tree / "file.txt"}},
        {"quotes still group and each line feed ends them",
         "\"" + (tree / "file.txt") + "\n" + Quoted(tree / "two words.txt") + "\n", {}, {tree / "two words.txt"}},
        {"a tab inside a line disappears", (tree / "file.\ttxt") + "\n", {}, {tree / "file.txt"}},
        {"a path followed by 600 blanks is cut and trimmed", (tree / "file.txt") + std::string(600, ' ') + "\n", {},
         {tree / "file.txt"}},
        {"a line of 600 bytes names nothing", std::string(600, 'x') + "\n" + (tree / "file.txt"), {},
         {tree / "file.txt"}},
    };
    for (const Case& c : cases) {
        SplitTargets(c.text.c_str(), kLineMode);
        EXPECT_EQ(Folders(), c.folders) << c.name;
        EXPECT_EQ(Files(), c.files) << c.name;
    }
}

TEST_F(SplitTargetsTest, MacrosAreExpandedOnlyWithParamMode) {
    lstrcpyA(ProgramFolder, (tree.path() + "\\").c_str());
    SplitTargets("%Korval%\\file.txt \"%korval%\\dir a\"", kCommandLineMode);
    EXPECT_EQ(TargetFileCount + TargetFolderCount, 0);
    SystemOptions.paramMode = 1;
    lstrcpyA(ParamEntry[0].key, "FILE");
    lstrcpyA(ParamEntry[0].value, "file.txt");
    ParamEntryCount = 1;
    SplitTargets("%Korval%\\FILE \"%korval%\\dir a\"", kCommandLineMode);
    EXPECT_EQ(Files(), Paths{tree / "file.txt"});
    EXPECT_EQ(Folders(), Paths{tree / "dir a"});
    SystemOptions.paramMode = 0;
    ParamEntryCount = 0;
}

TEST_F(SplitTargetsTest, StopsAtOneThousandEntries) {
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i) names.push_back("f" + std::to_string(i));
    MakeTree(tree.path(), names);
    std::string text;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& name : names) text += (tree / name) + " ";
    }
    text += tree / "dir a";
    SplitTargets(text.c_str(), kCommandLineMode);
    EXPECT_EQ(TargetFileCount, 1000);
    EXPECT_EQ(TargetFolderCount, 0) << "the folder after the thousandth entry is not looked at";
    EXPECT_EQ(std::string(TargetFiles[999]), tree / "f399");

    std::string mixed = Quoted(tree / "dir a") + " " + text;
    SplitTargets(mixed.c_str(), kCommandLineMode);
    EXPECT_EQ(TargetFolderCount, 1);
    EXPECT_EQ(TargetFileCount, 999) << "folders and files count together";
}

TEST_F(SplitTargetsTest, BadCommandLinesBreakNothing) {
    // 32,000 bytes: thousands of missing paths, unbalanced quotes, overlong tokens, then one real file.
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += "C:\\missing\\p" + std::to_string(i) + (i % 7 == 0 ? "\" " : " ");
    text += "\"" + std::string(3000, 'q') + " " + std::string(3000, 'r') + "\" ";
    text += std::string(5000, ' ');
    while (text.size() < 32000) text += "\"";
    // An even number of quotes closes the last group before the real file.
    size_t quotes = std::count(text.begin(), text.end(), '"');
    std::string balanced = text + (quotes % 2 ? "\" " : " ") + (tree / "file.txt");
    SplitTargets(balanced.c_str(), kCommandLineMode);
    EXPECT_GE(balanced.size(), 32000u);
    EXPECT_EQ(Folders(), Paths{});
    EXPECT_EQ(Files(), Paths{tree / "file.txt"});

    SplitTargets(std::string(32000, '"').c_str(), kCommandLineMode);
    EXPECT_EQ(TargetFolderCount + TargetFileCount, 0);
    SplitTargets(std::string(32000, ' ').c_str(), kLineMode);
    EXPECT_EQ(TargetFolderCount + TargetFileCount, 0);
}
