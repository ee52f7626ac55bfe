// The targets as Korval.exe receives them from the shell or the clipboard, seen in its delivered result.
#include <gtest/gtest.h>

#include <string>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

// Every target passes this filter unchanged, so the result on the clipboard is the target list itself.
const char kPassAll[] = "[filter]\r\nAll\r\n>.*\r\n%end\r\n";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

}  // namespace

TEST(SendTo, CommandLinePathsArriveIntactFoldersFirst) {
    TempDir tree;
    MakeTree(tree.path(), {"dir a\\", "ソ\\", "file.txt", "two words.txt"});
    KorvalInstall install(kPassAll);
    ClearClipboard();
    std::string arguments = "/#f=\"All\" /#e1 " + Quoted(tree / "two words.txt") + " " + Quoted(tree / "dir a") + " " +
                            (tree / "file.txt") + " " + Quoted(tree / "ソ\\") + " " + (tree / "missing.txt");
    auto code = RunKorval(install, arguments);
    ASSERT_TRUE(code.has_value()) << "Korval did not end";
    auto text = ClipboardText();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, (tree / "dir a") + "\r\n" + (tree / "ソ") + "\r\n" + (tree / "two words.txt") + "\r\n" +
                         (tree / "file.txt"));
}

TEST(SendTo, ClipboardLinesAreReadWithTheClipboardSwitch) {
    TempDir tree;
    MakeTree(tree.path(), {"dir a\\", "file.txt"});
    KorvalInstall install(kPassAll);
    SetClipboardText("  " + (tree / "file.txt") + "  \r\n" + (tree / "dir a") + "\r\n");
    auto code = RunKorval(install, "/#c /#f=\"All\" /#e1");
    ASSERT_TRUE(code.has_value()) << "Korval did not end";
    auto text = ClipboardText();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, (tree / "dir a") + "\r\n" + (tree / "file.txt"));
}
