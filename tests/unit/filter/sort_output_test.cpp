// Sorting, regrouping and the output text of a filter run, on ResultList rows filled directly.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "filter/engine.h"
#include "filter/filter.h"

namespace {

void ResetRun() {
    ResultList.folderCount = 0;
    ResultList.fileCount = 0;
    SystemOptions = SystemOptionsRecord{};
    FilterEntry[0] = FilterEntryRow{};
    FilterEntryCount = 1;
    SelectedFilterIndex = 0;
    FilterKind = kKindPatterns;
    progressShown = 0;
}

void SetRows(char (*rows)[kRowBytes], int* count, const std::vector<std::string>& paths) {
    *count = 0;
    for (const std::string& path : paths) std::strcpy(rows[(*count)++], path.c_str());
}

std::vector<std::string> Rows(char (*rows)[kRowBytes], int count) {
    return std::vector<std::string>(rows, rows + count);
}

void SetPatterns(const std::vector<std::string>& patterns, bool exclude) {
    FilterEntry[0].patternCount = 0;
    for (const std::string& pattern : patterns) {
        std::strcpy(FilterEntry[0].patterns[FilterEntry[0].patternCount++], pattern.c_str());
    }
    FilterEntry[0].exclude = exclude ? 1 : 0;
}

std::string Key(const char* row, int mode, bool folder) {
    char key[kRowBytes];
    BuildSortKey(row, mode, folder, key);
    return key;
}

std::vector<std::string> DeliveredFiles() {
    int order[kMaxResults];
    int count = BuildFileOrder(order);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) files.push_back(ResultList.files[order[i]]);
    return files;
}

std::string Text(int toClipboard, const char* arguments) {
    static char out[kOutputCapacity];
    int order[kMaxResults];
    int count = BuildFileOrder(order);
    size_t length = BuildOutputText(toClipboard, arguments, order, count, out);
    EXPECT_EQ(length, std::strlen(out));
    return std::string(out, length);
}

}  // namespace

TEST(SortKey, ConcatenatesThePartsInEachModesOrder) {
    struct Case {
        const char* row;
        int mode;
        bool folder;
        const char* key;
    } cases[] = {
        {"C:\\data\\photos.old", kSortModePath, true, "C:\\data\\photos.old"},
        {"C:\\data\\photos.old", kSortModeName, true, "photosC:\\data\\"},
        {"C:\\data\\report.txt", kSortModePath, false, "C:\\data\\.txtreport"},
        {"C:\\data\\report.txt", kSortModeName, false, ".txtreportC:\\data\\"},
        {"\\\\server\\share\\README", kSortModeName, false, "README\\\\server\\share\\"},
        {"C:\\表\\a.txt", kSortModePath, false, "C:\\表\\.txta"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Key(c.row, c.mode, c.folder), c.key) << c.row << " mode " << c.mode;
    }
}

TEST(Sort, EqualKeysEndInTheExchangeSortsOrder) {
    ResetRun();
    // B1 and B2 have keys equal ignoring case; A has the smallest.
    SetRows(ResultList.files, &ResultList.fileCount, {"C:\\B\\X.TXT", "c:\\b\\x.txt", "C:\\a\\a.txt"});
    SortRows(ResultList.files, ResultList.fileCount, kSortModePath, false);
    EXPECT_EQ(Rows(ResultList.files, ResultList.fileCount),
              (std::vector<std::string>{"C:\\a\\a.txt", "c:\\b\\x.txt", "C:\\B\\X.TXT"}));
}

TEST(Sort, ModesOrderFilesByLocationOrByExtensionAndFoldersByPathOrByName) {
    ResetRun();
    struct Case {
        int mode;
        bool folders;
        std::vector<std::string> rows;
        std::vector<std::string> sorted;
    } cases[] = {
        {kSortModeName, false, {"C:\\d\\x.txt", "C:\\d\\a.log", "C:\\d\\b.txt"},
         {"C:\\d\\a.log", "C:\\d\\b.txt", "C:\\d\\x.txt"}},
        {kSortModePath, false, {"C:\\z\\a.txt", "C:\\b\\z.txt"}, {"C:\\b\\z.txt", "C:\\z\\a.txt"}},
        {kSortModePath, false, {"C:\\d\\b.txt", "C:\\d\\a.txt", "C:\\d\\c.log"},
         {"C:\\d\\c.log", "C:\\d\\a.txt", "C:\\d\\b.txt"}},
        {kSortModePath, true, {"C:\\z", "C:\\a\\z", "C:\\a"}, {"C:\\a", "C:\\a\\z", "C:\\z"}},
        {kSortModeName, true, {"C:\\z", "C:\\a\\z", "C:\\a", "D:\\b.old"},
         {"C:\\a", "D:\\b.old", "C:\\z", "C:\\a\\z"}},
    };
    for (const Case& c : cases) {
        char (*rows)[kRowBytes] = c.folders ? ResultList.folders : ResultList.files;
        int count = 0;
        SetRows(rows, &count, c.rows);
        SortRows(rows, count, c.mode, c.folders);
        EXPECT_EQ(Rows(rows, count), c.sorted) << "mode " << c.mode << (c.folders ? " folders" : " files")
                                               << ", first row " << c.rows[0];
    }
}

TEST(Regrouping, FollowsTheExtensionListOnlyWhenSortedAndNotExcluded) {
    const std::vector<std::string> sorted = {"C:\\a.log", "C:\\b.TXT", "C:\\c.log", "C:\\d.txt"};
    struct Case {
        const char* name;
        int sortMode;
        int kind;
        std::vector<std::string> patterns;
        bool exclude;
        std::vector<std::string> delivered;
    } cases[] = {
        {"grouped by list order", kSortModePath, kKindPatterns, {".txt", ".log"}, false,
         {"C:\\b.TXT", "C:\\d.txt", "C:\\a.log", "C:\\c.log"}},
        {"an extension named twice", kSortModeName, kKindPatterns, {".log", ".LOG", ".txt"}, false,
         {"C:\\a.log", "C:\\c.log", "C:\\b.TXT", "C:\\d.txt"}},
        {"unsorted", kSortModeNone, kKindPatterns, {".txt", ".log"}, false, sorted},
        {"exclude", kSortModePath, kKindPatterns, {".txt", ".log"}, true, sorted},
        {"not a pattern list", kSortModePath, kKindAll, {".*"}, false, sorted},
    };
    for (const Case& c : cases) {
        ResetRun();
        SystemOptions.sortMode = c.sortMode;
        FilterKind = c.kind;
        SetPatterns(c.patterns, c.exclude);
        SetRows(ResultList.files, &ResultList.fileCount, sorted);
        EXPECT_EQ(DeliveredFiles(), c.delivered) << c.name;
    }
}

TEST(OutputText, ClipboardLinesAndProgramArgumentsDifferOnlyInSeparatorsAndQuotes) {
    ResetRun();
    SetRows(ResultList.folders, &ResultList.folderCount, {"C:\\My Docs"});
    SetRows(ResultList.files, &ResultList.fileCount, {"C:\\a.txt", "C:\\b c.txt"});
    EXPECT_EQ(Text(1, "-x"), "C:\\My Docs\r\nC:\\a.txt\r\nC:\\b c.txt");
    EXPECT_EQ(Text(0, "-x"), "-x \"C:\\My Docs\" C:\\a.txt \"C:\\b c.txt\"");
    EXPECT_EQ(Text(0, ""), "\"C:\\My Docs\" C:\\a.txt \"C:\\b c.txt\"");
}

TEST(OutputText, FolderBackslashFollowsTheSettingAndSurvivesQuoting) {
    struct Case {
        const char* row;
        int keep;
        int toClipboard;
        const char* text;
    } cases[] = {
        {"C:\\", 0, 1, "C:"},
        {"C:\\", 1, 1, "C:\\"},
        {"C:\\My Docs\\", 0, 0, "\"C:\\My Docs\""},
        {"C:\\My Docs", 1, 0, "\"C:\\My Docs\\\\\""},
        {"C:\\My Docs", 1, 1, "C:\\My Docs\\"},
        {"\"C:\\My Docs\"", 0, 1, "C:\\My Docs"},
        {"C:\\Tools", 1, 0, "C:\\Tools\\"},
        // 表 ends in the byte of a backslash: the folder still gets its own.
        {"C:\\表", 1, 1, "C:\\表\\"},
        {"C:\\表", 0, 1, "C:\\表"},
    };
    for (const Case& c : cases) {
        ResetRun();
        SystemOptions.keepFolderBackslash = c.keep;
        SetRows(ResultList.folders, &ResultList.folderCount, {c.row});
        EXPECT_EQ(Text(c.toClipboard, ""), c.text) << c.row << " keep " << c.keep << " clipboard " << c.toClipboard;
    }
}

TEST(OutputText, EndsWithoutASeparatorAndFilesKeepTheirBytes) {
    ResetRun();
    SetRows(ResultList.files, &ResultList.fileCount, {"\"C:\\quoted.txt\"", "C:\\dir\\"});
    EXPECT_EQ(Text(1, ""), "\"C:\\quoted.txt\"\r\nC:\\dir\\");
    EXPECT_EQ(Text(0, "/p"), "/p \"C:\\quoted.txt\" C:\\dir\\");
}

TEST(OutputText, TheLongestListFitsTheBuffer) {
    ResetRun();
    std::string longPath = "C:\\" + std::string(250, 'x') + " y\\";
    std::vector<std::string> rows(kMaxResults / 2, longPath);
    SetRows(ResultList.folders, &ResultList.folderCount, rows);
    SetRows(ResultList.files, &ResultList.fileCount, rows);
    SystemOptions.keepFolderBackslash = 1;
    std::string arguments(kPathBytes - 1, 'a');
    std::string text = Text(0, arguments.c_str());
    EXPECT_EQ(text.size(), arguments.size() + 1 + kMaxResults * (longPath.size() + 3) + (kMaxResults - 1));
    EXPECT_LE(text.size() + 1, kOutputCapacity);
}

TEST(CommandLine, ALongerParameterStringThanThePlatformTakesIsRefused) {
    std::string program = "C:\\tools\\viewer.exe";
    size_t room = kCommandLineLimit - program.size() - 4;
    EXPECT_TRUE(FitsCommandLine(program.c_str(), room));
    EXPECT_FALSE(FitsCommandLine(program.c_str(), room + 1));
}

TEST(Backslash, OnlyARealBackslashCharacterEndsAPath) {
    struct Case {
        const char* text;
        bool ends;
    } cases[] = {
        {"C:\\", true}, {"C:", false}, {"", false}, {"表", false}, {"C:\\表", false},
        {"表\\", true}, {"a\\b", false}, {"\\", true},
    };
    for (const Case& c : cases) EXPECT_EQ(EndsWithBackslash(c.text), c.ends) << c.text;
}

// The sort ranks each key once; its every exchange must still be the one that comparing the two
// rows' keys with CompareStringA at each step makes.
TEST(Sort, MatchesTheExchangeSortThatCollatesAtEveryComparison) {
    const char* folders[] = {"C:\\", "c:\\Data", "D:\\data", "C:\\data\\", "\\\\srv\\share", "C:\\表", "C:\\ア",
                             "C:\\あ", "C:\\a-b", "C:\\ab", "C:\\Ａ"};
    const char* names[] = {"a", "A", "b.TXT", "b.txt", "readme", "ａ", "ア.log", "表.doc", "a.tar.gz", ".profile",
                           "x-y.txt", "xy.txt", "10.txt", "9.txt", "Ⅰ.txt"};
    std::vector<std::string> rows;
    unsigned seed = 12345;
    for (int i = 0; i < 600; ++i) {
        seed = seed * 1103515245 + 12345;
        std::string folder = folders[(seed >> 8) % (sizeof folders / sizeof *folders)];
        std::string name = names[(seed >> 16) % (sizeof names / sizeof *names)];
        rows.push_back(folder + (folder.back() == '\\' ? "" : "\\") + name);
    }
    for (int mode : {kSortModePath, kSortModeName}) {
        for (bool folderRows : {false, true}) {
            std::vector<std::string> expected = rows;
            for (size_t i = 0; i < expected.size(); ++i) {
                for (size_t j = i + 1; j < expected.size(); ++j) {
                    if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, Key(expected[i].c_str(), mode, folderRows).c_str(),
                                       -1, Key(expected[j].c_str(), mode, folderRows).c_str(), -1) == CSTR_GREATER_THAN) {
                        std::swap(expected[i], expected[j]);
                    }
                }
            }
            int count = 0;
            SetRows(ResultList.files, &count, rows);
            SortRows(ResultList.files, count, mode, folderRows);
            EXPECT_EQ(Rows(ResultList.files, count), expected) << "mode " << mode << (folderRows ? " folder" : " file")
                                                              << " keys";
        }
    }
}
