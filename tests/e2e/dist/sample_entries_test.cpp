// Every entry of the shipped sample settings, run by name on one tree, delivers exactly what its label promises.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/wine_test.h"

using namespace korval_test;

TEST(SampleEntries, EachEntryDeliversWhatItsLabelSays) {
    TempDir tree;
    MakeFolder(tree / "sub");
    for (const char* name : {"a.txt", "c.csv", "d.jpg", "e.png", "f.zip", "i.tmp", "j.bak", "copy.log",
                             "2026-11-30.log", "sub\\l.md"}) {
        WriteBytes(tree / name, name);
    }
    WriteBytes(tree / "b.doc", "社外秘のパスワード");
    WriteBytes(tree / "g.cpp", "// Copyright 2026\r\n");
    WriteBytes(tree / "h.h", "// 著作権表示\r\n");
    WriteBytes(tree / "s.ini", "password=1\r\n");
    KorvalInstall install(ReadBytes(BinFolder() + "dist\\Korval.ini").value_or(""));
    install.CopyRegexpLibrary();
    // "@sub" and "@sort=1": the whole tree, files sorted by folder, extension and name, and a list
    // of extensions regroups them in the list's order. "." is the tree itself.
    const std::string files = "j.bak g.cpp c.csv b.doc h.h s.ini d.jpg 2026-11-30.log copy.log e.png i.tmp a.txt f.zip";
    const std::pair<const char*, std::string> rows[] = {
        {"/#f=\"文書\"", "a.txt b.doc c.csv sub\\l.md"},
        {"/#f=\"テキスト\"", "a.txt 2026-11-30.log copy.log s.ini c.csv sub\\l.md"},
        {"/#f=\"画像\"", "d.jpg e.png"}, {"/#f=\"圧縮ファイル\"", "f.zip"},
        {"/#f=\"ソースコード\"", "g.cpp h.h"}, {"/#f=\"フォルダのみ\"", ". sub"},
        {"/#f=\"ファイルのみ\"", files + " sub\\l.md"}, {"/#f=\"すべて\"", ". sub " + files + " sub\\l.md"},
        {"/#f=\"一時ファイル以外\"", "g.cpp c.csv b.doc h.h s.ini d.jpg 2026-11-30.log copy.log e.png a.txt f.zip sub\\l.md"},
        {"/#r=\"名前にコピーを含む\"", "copy.log"}, {"/#r=\"名前に日付\"", "2026-11-30.log"},
        {"/#r=\"中身にパスワード\"", "b.doc s.ini"},
        {"/#r=\"中身に著作権表示なし\"",
         "j.bak c.csv b.doc s.ini d.jpg 2026-11-30.log copy.log e.png i.tmp a.txt f.zip sub\\l.md"}};
    for (const auto& [entry, names] : rows) {
        std::string expected;
        std::istringstream in(names);
        for (std::string name; in >> name;) {
            expected += (expected.empty() ? "" : "\r\n") + (name == "." ? tree.path() : tree / name);
        }
        ClearClipboard();
        EXPECT_TRUE(RunKorval(install, std::string(entry) + " /#e1 \"" + tree.path() + "\"").has_value()) << entry;
        EXPECT_EQ(ClipboardText().value_or("(no text)"), expected) << entry;
    }
}
