// Every entry of the shipped sample settings, run by name on one tree: each picks what its
// label promises, and the expressions are ones our regular-expression library understands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

std::string ShippedSettings() {
    auto bytes = ReadBytes(BinFolder() + "dist\\Korval.ini");
    EXPECT_TRUE(bytes.has_value()) << "Korval.ini was not copied beside the tests";
    return bytes.value_or("");
}

// The tree every entry runs on; a file holds its own name unless given other contents.
void MakeSampleTree(const TempDir& tree) {
    for (const char* name : {"a.txt", "c.csv", "d.jpg", "e.png", "f.zip", "i.tmp", "j.bak", "k-copy.log",
                             "2026-11-30.log"}) {
        WriteBytes(tree / name, name);
    }
    WriteBytes(tree / "b.doc", "社外秘のパスワード");
    WriteBytes(tree / "g.cpp", "// Copyright 2026\r\nint main() {}\r\n");
    WriteBytes(tree / "h.h", "// 著作権表示\r\nint h;\r\n");
    WriteBytes(tree / "secret.ini", "password=1\r\n");
    MakeFolder(tree / "sub");
    WriteBytes(tree / "sub\\l.md", "l.md");
}

struct EntryCase {
    const char* switchText;  // the switch that names the entry, with its quoted label
    std::vector<std::string> expected;  // paths below the tree, "." for the tree itself
};

std::string Delivered(const TempDir& tree, const std::vector<std::string>& relative) {
    std::string text;
    for (const std::string& path : relative) {
        if (!text.empty()) text += "\r\n";
        text += path == "." ? tree.path() : tree / path;
    }
    return text;
}

}  // namespace

TEST(SampleEntries, EachEntryPicksWhatItsLabelSays) {
    TempDir tree;
    MakeSampleTree(tree);
    KorvalInstall install(ShippedSettings());
    install.CopyRegexpLibrary();
    // "@sub" and "@sort=1" are on: the tree is walked to the bottom, files come sorted by folder,
    // extension and name, and a list of extensions regroups them in the list's order.
    const std::vector<std::string> allFiles = {"j.bak", "g.cpp", "c.csv",          "b.doc",      "h.h",
                                               "secret.ini", "d.jpg", "2026-11-30.log", "k-copy.log", "e.png",
                                               "i.tmp", "a.txt", "f.zip", "sub\\l.md"};
    std::vector<std::string> everything = {".", "sub"};
    everything.insert(everything.end(), allFiles.begin(), allFiles.end());
    std::vector<std::string> withoutTemporary;
    std::vector<std::string> withoutCopyright;
    for (const std::string& file : allFiles) {
        if (file != "i.tmp" && file != "j.bak") withoutTemporary.push_back(file);
        if (file != "g.cpp" && file != "h.h") withoutCopyright.push_back(file);
    }
    const EntryCase cases[] = {
        {"/#f=\"文書\"", {"a.txt", "b.doc", "c.csv", "sub\\l.md"}},
        {"/#f=\"テキスト\"", {"a.txt", "2026-11-30.log", "k-copy.log", "secret.ini", "c.csv", "sub\\l.md"}},
        {"/#f=\"画像\"", {"d.jpg", "e.png"}},
        {"/#f=\"圧縮ファイル\"", {"f.zip"}},
        {"/#f=\"ソースコード\"", {"g.cpp", "h.h"}},
        {"/#f=\"フォルダのみ\"", {".", "sub"}},
        {"/#f=\"ファイルのみ\"", allFiles},
        {"/#f=\"すべて\"", everything},
        {"/#f=\"一時ファイル以外\"", withoutTemporary},
        {"/#r=\"名前にコピーを含む\"", {"k-copy.log"}},
        {"/#r=\"名前に日付\"", {"2026-11-30.log"}},
        {"/#r=\"中身にパスワード\"", {"b.doc", "secret.ini"}},
        {"/#r=\"中身に著作権表示なし\"", withoutCopyright},
    };
    for (const EntryCase& c : cases) {
        ClearClipboard();
        auto code = RunKorval(install, std::string(c.switchText) + " /#e1 \"" + tree.path() + "\"");
        EXPECT_TRUE(code.has_value()) << c.switchText << ": Korval did not end by itself";
        EXPECT_EQ(ClipboardText().value_or("(no text)"), Delivered(tree, c.expected)) << c.switchText;
    }
}
