// Every entry of the shipped sample settings, run by name on one tree, delivers exactly what its label promises.

#include <sstream>

#include "support/wine_test.h"

TEST(SampleEntries, EachEntryDeliversWhatItsLabelSays) {
    TempDir tree;
    MakeTree(tree.path(), {"sub\\", "a.txt", "c.csv", "d.jpg", "e.png", "f.zip", "i.tmp", "j.bak", "copy.log",
                           "2026-11-30.log", "sub\\l.md"});
    const char* contents[][2] = {{"b.doc", "社外秘のパスワード"}, {"g.cpp", "// Copyright 2026\r\n"}, {"h.h", "// 著作権表示\r\n"},
                                 {"s.ini", "password=1\r\n"}};
    for (const auto& [name, bytes] : contents) WriteBytes(tree / name, bytes);
    KorvalInstall install(ReadBytes(BinFolder() + "dist\\Korval.ini").value_or(""));
    install.CopyRegexpLibrary();
    // "@sub" and "@sort=1": the whole tree, files sorted by folder, extension and name, and a list
    // of extensions regroups them in the list's order. "." is the tree itself.
    const std::string files = "j.bak g.cpp c.csv b.doc h.h s.ini d.jpg 2026-11-30.log copy.log e.png i.tmp a.txt f.zip";
    // Per entry: f or r for a filter or regexp entry, its label, and what it delivers.
    const std::string rows[][2] = {
        {"f文書", "a.txt b.doc c.csv sub\\l.md"}, {"fテキスト", "a.txt 2026-11-30.log copy.log s.ini c.csv sub\\l.md"},
        {"f画像", "d.jpg e.png"}, {"f圧縮ファイル", "f.zip"}, {"fソースコード", "g.cpp h.h"}, {"fフォルダのみ", ". sub"},
        {"fファイルのみ", files + " sub\\l.md"}, {"fすべて", ". sub " + files + " sub\\l.md"},
        {"f一時ファイル以外", "g.cpp c.csv b.doc h.h s.ini d.jpg 2026-11-30.log copy.log e.png a.txt f.zip sub\\l.md"},
        {"r名前にコピーを含む", "copy.log"}, {"r名前に日付", "2026-11-30.log"}, {"r中身にパスワード", "b.doc s.ini"},
        {"r中身に著作権表示なし", "j.bak c.csv b.doc s.ini d.jpg 2026-11-30.log copy.log e.png i.tmp a.txt f.zip sub\\l.md"}};
    for (const auto& [entry, names] : rows) {
        std::string expected, name;
        for (std::istringstream in(names); in >> name;) expected += "\r\n" + (name == "." ? tree.path() : tree / name);
        ClearClipboard();
        EXPECT_EQ(install.Run("/#" + entry.substr(0, 1) + "=\"" + entry.substr(1) + "\" /#e1 " + Quoted(tree.path())),
                  "exit 0\nclipboard: " + expected.substr(2)) << entry;
    }
}
