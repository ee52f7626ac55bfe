// The shared text helpers in Shift-JIS: path splitting, name equality, safe cuts, filter kinds.

#include "support/wine_test.h"

TEST(SplitPath, CutsDriveFolderBaseAndExtensionRespectingDoubleByteCharacters) {
    ASSERT_EQ(GetACP(), 932u) << "tests must run with LANG=ja_JP.UTF-8 under Wine";
    const char* cases[][5] = {
        {"C:\\dir\\a.tar.gz", "C:", "\\dir\\", "a.tar", ".gz"},
        {"C:\\dir.d\\README", "C:", "\\dir.d\\", "README", ""},
        {"relative/x.y/z", "", "relative/x.y/", "z", ""},
        {"C:\\", "C:", "\\", "", ""},
        {"\\\\server\\share\\f.doc", "", "\\\\server\\share\\", "f", ".doc"},
        {".hidden", "", "", "", ".hidden"},
        // ソ is 83 5C and 表 95 5C: their trail bytes are no folder separators.
        {"C:\\ソ\\ソ.txt", "C:", "\\ソ\\", "ソ", ".txt"},
        {"C:\\表ソ", "C:", "\\", "表ソ", ""},
    };
    for (const auto& c : cases) {
        PathParts parts;
        SplitPath(c[0], &parts);
        EXPECT_EQ(std::string(parts.drive) + "|" + parts.folder + "|" + parts.base + "|" + parts.ext,
                  std::string(c[1]) + "|" + c[2] + "|" + c[3] + "|" + c[4]) << c[0];
    }
    std::string longName = std::string(254, 'a') + "表";
    PathParts parts;
    SplitPath(longName.c_str(), &parts);
    EXPECT_EQ(std::string(parts.base), std::string(254, 'a')) << "a cut never keeps half of 表";
}

TEST(TextRules, NamesCutsAndKinds) {
    const char* equal[][3] = {{"Images", "images", "1"}, {"Images", "image", "0"}, {"C:\\Data", "C:\\Data\\", "0"},
                              {"ａ", "Ａ", "1"}};
    for (const auto& c : equal) EXPECT_EQ(NamesEqual(c[0], c[1]), c[2][0] == '1') << c[0] << " / " << c[1];
    char field[5];
    const char* cuts[][2] = {{"abc表", "abc"}, {"ab表x", "ab表"}, {"abcdef", "abcd"}, {"abc\x83", "abc"}, {"ab\x83", "ab\x83"}};
    for (const auto& c : cuts) {
        CopyField(field, sizeof field, c[0]);
        EXPECT_STREQ(field, c[1]) << c[0];
    }
    const std::pair<const char*, int> kinds[] = {{"Folders", kKindFolders}, {"file*.txt", kKindFiles},
                                                 {".*x", kKindAll},         {"fold", kKindPatterns},
                                                 {"", kKindPatterns}};
    for (const auto& c : kinds) EXPECT_EQ(KindFromPattern(c.first), c.second) << c.first;
}
