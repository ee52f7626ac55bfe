// Collection in-process on real folders: scope, FilterKind, walk order, duplicates, the limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "filter/engine.h"
#include "filter/filter.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

using Paths = std::vector<std::string>;

void Select(int kind, const Paths& patterns = {}, bool exclude = false) {
    FilterEntry[0] = FilterEntryRow{};
    for (const std::string& pattern : patterns) {
        std::strcpy(FilterEntry[0].patterns[FilterEntry[0].patternCount++], pattern.c_str());
    }
    FilterEntry[0].exclude = exclude ? 1 : 0;
    FilterEntryCount = 1;
    SelectedFilterIndex = 0;
    FilterKind = kind;
}

void Target(const Paths& folders, const Paths& files) {
    TargetFolderCount = 0;
    for (const std::string& folder : folders) std::strcpy(TargetFolders[TargetFolderCount++], folder.c_str());
    TargetFileCount = 0;
    for (const std::string& file : files) std::strcpy(TargetFiles[TargetFileCount++], file.c_str());
}

void Collect(int allLevels, int insideFolders) {
    SystemOptions = SystemOptionsRecord{};
    FilterSwitch = 0;
    AllLevels = allLevels;
    InsideFolders = insideFolders;
    ResultList.folderCount = 0;
    ResultList.fileCount = 0;
    CollectResults(nullptr, 0);
}

Paths Folders() {
    return Paths(ResultList.folders, ResultList.folders + ResultList.folderCount);
}

Paths Files() {
    return Paths(ResultList.files, ResultList.files + ResultList.fileCount);
}

Paths Sorted(Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

Paths Under(const std::string& root, const Paths& relative) {
    Paths paths;
    for (const std::string& path : relative) paths.push_back(path.empty() ? root : root + "\\" + path);
    return paths;
}

const Paths kTree = {"a.txt", "b.log", "README", "sub\\", "sub\\c.txt", "sub\\deep\\", "sub\\deep\\d.TXT",
                     "sub\\deep\\e.doc", "empty\\"};

}  // namespace

// No launch key, directive or dialog produces AllLevels without InsideFolders; it lists the
// targets alone.
TEST(Collection, AllLevelsWithoutInsideFoldersListsTheTargetsAlone) {
    TempDir tree;
    MakeTree(tree.path(), kTree);
    Select(kKindAll, {".*"});
    Target({tree.path()}, {tree / "a.txt"});
    Collect(1, 0);
    EXPECT_EQ(Folders(), (Paths{tree.path()}));
    EXPECT_EQ(Files(), (Paths{tree / "a.txt"}));
    EXPECT_EQ(limitReached, 0);
}

// An exclude list with FilterKind 1 or 9; the plain rows run end to end.
TEST(Collection, ExcludeListsLetThroughEveryOtherFile) {
    TempDir tree;
    MakeTree(tree.path(), {"in\\", "in\\x.txt", "in\\y.log", "in\\sub\\", "t.txt", "t.log"});
    std::string in = tree / "in";
    struct Case {
        const char* name;
        int kind;
        Paths patterns;
        bool exclude;
        Paths folders;
        Paths files;
    } cases[] = {
        {"folders, walked files but .txt", kKindFolders, {"folder", ".txt"}, true, {"in", "in\\sub"}, {"in\\y.log"}},
        {"folders, no walked file", kKindFolders, {"folder"}, false, {"in", "in\\sub"}, {}},
        {"excluded extensions", kKindPatterns, {".txt"}, true, {}, {"in\\y.log", "t.log"}},
    };
    for (const Case& c : cases) {
        Select(c.kind, c.patterns, c.exclude);
        Target({in}, {tree / "t.txt", tree / "t.log"});
        Collect(1, 1);
        EXPECT_EQ(Sorted(Folders()), Under(tree.path(), c.folders)) << c.name;
        EXPECT_EQ(Sorted(Files()), Under(tree.path(), c.files)) << c.name;
    }
}

TEST(Collection, DuplicatesAreEqualIgnoringCaseButNotAcrossATrailingBackslash) {
    TempDir tree;
    MakeTree(tree.path(), {"sub\\", "sub\\a.txt", "sub\\inner\\", "sub\\inner\\b.txt"});
    std::string sub = tree / "sub";
    std::string upper = sub;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    Select(kKindAll, {".*"});

    // A folder given twice, in two spellings, and also reached through the walk of another target.
    Target({tree.path(), upper, sub + "\\inner"}, {sub + "\\A.TXT", sub + "\\a.txt"});
    Collect(1, 1);
    EXPECT_EQ(Sorted(Folders()), Under(tree.path(), {"", "sub", "sub\\inner"}));
    EXPECT_EQ(Sorted(Files()), Under(tree.path(), {"sub\\a.txt", "sub\\inner\\b.txt"}));

    Target({sub, sub + "\\", upper}, {});
    Collect(0, 0);
    EXPECT_EQ(Folders(), (Paths{sub, sub + "\\"}));
}

TEST(Collection, TheLimitStopsEveryLoopAndEvenADuplicateCountsAsOneTooMany) {
    TempDir tree;
    Paths names = {"deep\\", "deep\\er\\"};
    for (int i = 0; i < 1000; ++i) names.push_back("deep\\er\\f" + std::to_string(i) + ".txt");
    MakeTree(tree.path(), names);
    std::string deep = tree / "deep";
    Select(kKindFiles, {"file"});

    Target({deep}, {});
    Collect(1, 1);
    EXPECT_EQ(ResultList.fileCount, 1000);
    EXPECT_EQ(limitReached, 0) << "exactly 1000 entries and nothing more";

    MakeTree(tree.path(), {"deep\\er\\z.txt"});
    Collect(1, 1);
    EXPECT_EQ(ResultList.fileCount, 1000);
    EXPECT_EQ(limitReached, 1) << "the 1001st file";

    DeleteFileA((deep + "\\er\\z.txt").c_str());
    Target({deep}, {deep + "\\er\\f0.txt"});
    Collect(1, 1);
    EXPECT_EQ(limitReached, 1) << "a target file that would have been a duplicate";

    // The limit is reached inside deep\er: no later entry and no later target folder is looked at.
    MakeTree(tree.path(), {"later\\", "later\\g.txt"});
    Select(kKindAll, {".*"});
    Target({deep, tree / "later"}, {});
    Collect(1, 1);
    EXPECT_EQ(limitReached, 1);
    EXPECT_EQ(ResultList.folderCount + ResultList.fileCount, 1000);
    Paths folders = Folders();
    EXPECT_EQ(std::count(folders.begin(), folders.end(), tree / "later"), 0);
}

TEST(Collection, HiddenEntriesAreWalkedAndAFolderWithoutEntriesAddsNothing) {
    TempDir tree;
    MakeTree(tree.path(), {"secret\\", "secret\\h.txt", "v.txt", "empty\\"});
    SetFileAttributesA((tree / "secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((tree / "v.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Select(kKindPatterns, {".txt"});
    Target({tree.path(), tree / "empty", tree / "missing"}, {});
    Collect(1, 1);
    EXPECT_EQ(Sorted(Files()), Under(tree.path(), {"secret\\h.txt", "v.txt"}));
    EXPECT_EQ(ResultList.folderCount, 0);
}

TEST(Collection, EntriesWhosePathWouldExceed259BytesAreSkipped) {
    TempDir tree;
    // The folder's path leaves room for a short name only.
    std::string folder = tree.path() + "\\" + std::string(240 - tree.path().size(), 'd');
    std::wstring wideFolder(folder.begin(), folder.end());
    ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));
    std::string shortName = "s.txt";
    std::string longName = std::string(30, 'n') + ".txt";
    for (const std::string& name : {shortName, longName}) {
        std::wstring wide(wideFolder + L"\\" + std::wstring(name.begin(), name.end()));
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        CloseHandle(file);
    }
    Select(kKindPatterns, {".txt"});
    Target({folder}, {});
    Collect(1, 1);
    EXPECT_EQ(Files(), (Paths{folder + "\\" + shortName}));
    DeleteFileW((wideFolder + L"\\" + std::wstring(longName.begin(), longName.end())).c_str());
}

TEST(MatchExtension, ComparesWholeExtensionsIgnoringCase) {
    struct Case {
        int kind;
        Paths patterns;
        bool exclude;
        const char* extension;
        int passes;
    } cases[] = {
        {kKindPatterns, {".txt", ".log"}, false, ".TXT", 1},
        {kKindPatterns, {".txt", ".log"}, false, ".log", 1},
        {kKindPatterns, {".txt", ".log"}, false, ".bak", 0},
        {kKindPatterns, {".txt", ".log"}, false, "", 0},
        {kKindPatterns, {".txt", ".log"}, false, ".tx", 0},
        {kKindPatterns, {".txt", ".log"}, false, ".txtx", 0},
        {kKindPatterns, {".txt", ".log"}, true, ".TXT", 0},
        {kKindPatterns, {".txt", ".log"}, true, ".bak", 1},
        {kKindPatterns, {".txt", ".log"}, true, "", 1},
        {kKindPatterns, {"txt", "*.txt"}, false, ".txt", 0},
        {kKindFolders, {"folder"}, false, ".txt", 0},
        {kKindFolders, {"folder"}, true, ".txt", 1},
        {kKindAll, {".*"}, true, ".txt", 1},
        {kKindFiles, {"file"}, true, "", 1},
    };
    for (const Case& c : cases) {
        Select(c.kind, c.patterns, c.exclude);
        EXPECT_EQ(MatchExtension(c.extension), c.passes)
            << "kind " << c.kind << " first pattern " << c.patterns[0] << (c.exclude ? " exclude" : "") << " extension '"
            << c.extension << "'";
    }
}

// Verdicts on extensions are remembered during a run; many distinct extensions, differing in case
// or sharing a remembered slot, must each still get their own verdict.
TEST(Collection, EveryExtensionGetsItsOwnVerdictHoweverManyAFolderHolds) {
    TempDir tree;
    Paths names;
    for (int i = 0; i < 150; ++i) names.push_back("f" + std::to_string(i) + ".e" + std::to_string(i));
    for (int i = 0; i < 20; ++i) names.push_back("g" + std::to_string(i) + ".E" + std::to_string(i * 7));
    names.push_back("long.extension-beyond-a-slot");
    MakeTree(tree.path(), names);
    Paths patterns;
    Paths expected;
    for (int i = 0; i < 19; ++i) {
        patterns.push_back(".e" + std::to_string(i * 7));
        expected.push_back(tree / ("f" + std::to_string(i * 7) + ".e" + std::to_string(i * 7)));
        expected.push_back(tree / ("g" + std::to_string(i) + ".E" + std::to_string(i * 7)));
    }
    patterns.push_back(".EXTENSION-beyond-a-slot");
    expected.push_back(tree / "long.extension-beyond-a-slot");
    for (bool exclude : {false, true}) {
        Select(kKindPatterns, patterns, exclude);
        Target({tree.path()}, {});
        Collect(0, 1);
        Paths files = Files();
        EXPECT_EQ(files.size(), exclude ? names.size() - expected.size() : expected.size());
        for (const std::string& path : expected) {
            EXPECT_EQ(std::count(files.begin(), files.end(), path), exclude ? 0 : 1) << path;
        }
    }
}
