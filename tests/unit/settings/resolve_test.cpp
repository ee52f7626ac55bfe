// Program path resolution through the search path and the system order, and folder macro expansion.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "common/text.h"
#include "settings/settings.h"
#include "settings_fixture.h"
#include "support/wine_test.h"

using namespace settings_test;

namespace {

std::string Resolve(const std::string& name, int retry, int* found) {
    char result[kPathBytes];
    *found = ResolveProgramPath(name.c_str(), retry, result);
    return result;
}

std::string Expand(const std::string& text) {
    char result[kExpandBytes];
    ExpandMacros(text.c_str(), result);
    return result;
}

std::string SpecialFolder(int csidl) {
    char folder[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE)) return "";
    return folder;
}

void SetParams(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    ParamEntryCount = 0;
    for (const auto& pair : pairs) {
        lstrcpyA(ParamEntry[ParamEntryCount].key, pair.first);
        lstrcpyA(ParamEntry[ParamEntryCount].value, pair.second);
        ++ParamEntryCount;
    }
}

}  // namespace

TEST(ResolveProgramPath, StepsInOrderWithAndWithoutTheExeRetry) {
    korval_test::TempDir dir;
    korval_test::MakeTree(dir.path(), {"bin\\tool.exe", "other\\tool.exe", "local\\run.exe", "plain", "sub\\"});
    ResetStartState();
    lstrcpyA(SystemOptions.searchPath, (dir / "bin;") .c_str());
    lstrcatA(SystemOptions.searchPath, (dir / "other").c_str());
    SystemOptions.searchPathSet = 1;
    struct Case {
        const char* name;
        std::string input;
        int retry;
        int found;
        std::string result;
    };
    const Case cases[] = {
        {"a full path that exists", dir / "plain", 0, 1, dir / "plain"},
        {"a folder is found too", dir / "sub", 1, 1, dir / "sub"},
        {"the .exe name beside the bare one", dir / "local\\run", 1, 1, dir / "local\\run.exe"},
        {"no retry, no .exe name", dir / "local\\run", 0, 0, dir / "local\\run"},
        {"found in the first folder of the search path", "tool.exe", 0, 1, dir / "bin\\tool.exe"},
        {"the .exe retry in the search path", "tool", 1, 1, dir / "bin\\tool.exe"},
        {"without the retry the bare name is not found", "tool", 0, 0, "tool"},
        {"nothing anywhere comes back unchanged", "no-such-program", 1, 0, "no-such-program"},
        {"a name too long for a path is not found", std::string(300, 'n'), 1, 0, std::string(259, 'n')},
    };
    for (const Case& c : cases) {
        int found = 0;
        std::string result = Resolve(c.input, c.retry, &found);
        EXPECT_EQ(found, c.found) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
    SystemOptions.searchPathSet = 0;
    int found = 1;
    EXPECT_EQ(Resolve("tool", 1, &found), "tool") << "an unset search path is not searched";
    EXPECT_EQ(found, 0);
}

TEST(ResolveProgramPath, SystemSearchOrderAndRelativeNames) {
    ResetStartState();
    int found = 0;
    std::string notepad = Resolve("notepad", 1, &found);
    EXPECT_EQ(found, 1);
    EXPECT_TRUE(StrStrIA(notepad.c_str(), "\\notepad.exe") && PathFileExistsA(notepad.c_str())) << notepad;
    Resolve("notepad", 0, &found);
    EXPECT_EQ(found, 0) << "the bare name exists only with .exe";
    EXPECT_EQ(Resolve("NOTEPAD.EXE", 0, &found).empty(), false);
    EXPECT_EQ(found, 1);

    korval_test::TempDir dir;
    korval_test::WriteBytes(dir / "rel.exe", "MZ");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(dir.path().c_str());
    std::string relative = Resolve("rel", 1, &found);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(relative, dir / "rel.exe") << "a relative name is taken against the current folder";
}

TEST(ExpandMacros, FolderMacrosInOrderThenParamKeys) {
    ResetStartState();
    lstrcpyA(ProgramFolder, "C:\\Tools\\Korval\\");
    std::string windows = SpecialFolder(CSIDL_WINDOWS);
    std::string desktop = SpecialFolder(CSIDL_DESKTOP);
    std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
    std::string commonDocuments = SpecialFolder(CSIDL_COMMON_DOCUMENTS);
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(desktop.empty());
    ASSERT_FALSE(programFiles.empty());
    struct Case {
        const char* name;
        std::string text;
        std::string expanded;
    };
    const Case cases[] = {
        {"lower case macro", "%windows%\\notepad.exe", windows + "\\notepad.exe"},
        {"the program folder twice", "%Korval%;%KORVAL%", "C:\\Tools\\Korval;C:\\Tools\\Korval"},
        {"temp_Korv is the desktop", "%temp_Korv%|%Desktop%", desktop + "|" + desktop},
        {"the common documents are not the personal ones", "%Common My Documents%",
         commonDocuments.empty() ? "%Common My Documents%" : commonDocuments},
        {"an unknown macro stays", "%Nowhere%", "%Nowhere%"},
        {"no macro, no change", "plain ソ text", "plain ソ text"},
    };
    for (const Case& c : cases) EXPECT_EQ(Expand(c.text), c.expanded) << c.name;

    lstrcpyA(ProgramFolder, "D:\\");
    EXPECT_EQ(Expand("%Korval%\\x"), "D:\\x") << "a drive root becomes the drive letter and colon";

    SetParams({{"Program", "App"}});
    std::string expected = programFiles;
    size_t at = expected.find("Program");
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, 7, "App");
    EXPECT_EQ(Expand("%Program Files%"), expected) << "keys are found inside expanded folders";

    SetParams({{"ab", "xaby"}});
    EXPECT_EQ(Expand("ab-AB"), "xaby-xaby") << "a value holding its key does not loop";
    SetParams({{"a", "b"}, {"b", "c"}});
    EXPECT_EQ(Expand("a"), "c") << "later keys are found in values of earlier ones";
    SetParams({{"D", "%Windows%"}});
    EXPECT_EQ(Expand("D"), "%Windows%") << "a folder macro inside a value stays";
    ParamEntryCount = 0;
}

TEST(ExpandMacros, NeverLoopsAndCutsAt519Bytes) {
    ResetStartState();
    lstrcpyA(ProgramFolder, "C:\\x%Korval%y\\");
    EXPECT_EQ(Expand("%Korval%"), "C:\\x%Korval%y") << "a folder holding its own macro does not loop";

    lstrcpyA(ProgramFolder, ("C:\\" + std::string(60, 'f') + "表\\").c_str());
    std::string text;
    for (int i = 0; i < 12; ++i) text += "%Korval%";
    std::string expanded = Expand(text);
    EXPECT_LE(expanded.size(), 519u);
    EXPECT_GE(expanded.size(), 510u);
    // The cut never leaves half a double-byte character at the end.
    size_t at = 0;
    while (at < expanded.size()) at += IsLeadByte(static_cast<unsigned char>(expanded[at])) ? 2 : 1;
    EXPECT_EQ(at, expanded.size());

    SetParams({{"k", std::string(200, 'v').c_str()}});
    EXPECT_EQ(Expand(std::string(10, 'k')), std::string(519, 'v'));
    ParamEntryCount = 0;
}
