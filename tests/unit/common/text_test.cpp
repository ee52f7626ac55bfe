// The shared text helpers: path splitting in Shift-JIS, name equality, safe cuts, filter kinds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/text.h"

TEST(CodePage, TestsRunWithTheJapaneseAnsiCodePage) {
    ASSERT_EQ(GetACP(), 932u) << "tests must run with LANG=ja_JP.UTF-8 under Wine";
}

struct SplitCase {
    const char* path;
    const char* drive;
    const char* folder;
    const char* base;
    const char* ext;
};

TEST(SplitPath, CutsDriveFolderBaseAndExtension) {
    const SplitCase cases[] = {
        {"C:\\dir\\notes.txt", "C:", "\\dir\\", "notes", ".txt"},
        {"C:\\dir\\a.tar.gz", "C:", "\\dir\\", "a.tar", ".gz"},
        {"C:\\dir.d\\README", "C:", "\\dir.d\\", "README", ""},
        {"relative/x.y/z", "", "relative/x.y/", "z", ""},
        {"C:", "C:", "", "", ""},
        {"C:\\", "C:", "\\", "", ""},
        {"\\\\server\\share\\f.doc", "", "\\\\server\\share\\", "f", ".doc"},
        {"photos.old", "", "", "photos", ".old"},
        {".hidden", "", "", "", ".hidden"},
        // ソ is 83 5C: its trail byte is no folder separator.
        {"C:\\ソ\\ソ.txt", "C:", "\\ソ\\", "ソ", ".txt"},
        {"C:\\表ソ", "C:", "\\", "表ソ", ""},
    };
    for (const SplitCase& c : cases) {
        PathParts parts;
        SplitPath(c.path, &parts);
        EXPECT_STREQ(parts.drive, c.drive) << c.path;
        EXPECT_STREQ(parts.folder, c.folder) << c.path;
        EXPECT_STREQ(parts.base, c.base) << c.path;
        EXPECT_STREQ(parts.ext, c.ext) << c.path;
    }
}

TEST(SplitPath, CutsEachPartTo255BytesOnACharacterBoundary) {
    std::string longName(254, 'a');
    longName += "表";  // bytes 254 and 255 of the base: the pair does not fit and goes whole
    PathParts parts;
    SplitPath(longName.c_str(), &parts);
    EXPECT_EQ(std::strlen(parts.base), 254u);
}

TEST(NamesEqual, SameLengthAndEqualIgnoringCase) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"Images", "images", true},
        {"Images", "image", false},
        {".TXT", ".txt", true},
        {"C:\\Data", "c:\\data", true},
        {"C:\\Data", "C:\\Data\\", false},
        {"ａ", "Ａ", true},
    };
    for (const Case& c : cases) EXPECT_EQ(NamesEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

TEST(CopyField, NeverKeepsHalfADoubleByteCharacter) {
    char field[5];
    EXPECT_EQ(CopyField(field, sizeof field, "abc表"), 3u);
    EXPECT_STREQ(field, "abc");
    EXPECT_EQ(CopyField(field, sizeof field, "ab表x"), 4u);
    EXPECT_STREQ(field, "ab表");
    EXPECT_EQ(CopyField(field, sizeof field, "abcdef"), 4u);
    EXPECT_STREQ(field, "abcd");
}

TEST(KindFromPattern, ComparesSixFourAndTwoLeadingCharacters) {
    struct Case {
        const char* pattern;
        int kind;
    } cases[] = {
        {"folder", kKindFolders}, {"Folders", kKindFolders}, {"file", kKindFiles},
        {"file*.txt", kKindFiles}, {"FILES", kKindFiles},   {".*", kKindAll},
        {".*x", kKindAll},         {".txt", kKindPatterns}, {"fold", kKindPatterns},
        {"", kKindPatterns},
    };
    for (const Case& c : cases) EXPECT_EQ(KindFromPattern(c.pattern), c.kind) << c.pattern;
}
