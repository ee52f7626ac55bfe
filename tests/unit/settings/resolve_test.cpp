// Program path resolution through the search path and the system order, and the expansion of macros and keys.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <tuple>

#include "fixture.h"

using namespace fixture;

TEST(ResolveProgramPath, StepsInOrderWithAndWithoutTheExeRetry) {
    TempDir dir;
    MakeTree(dir.path(), {"bin\\tool.exe", "other\\tool.exe", "local\\run.exe", "sub\\"});
    Reset();
    lstrcpyA(SystemOptions.searchPath, (dir / "bin;" + dir / "other").c_str());
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(dir.path().c_str());
    // The name, the retry, whether the search path is set, the found flag and the result; a result starting with
    // "*" is a file that must exist and end with the rest.
    const std::tuple<const char*, std::string, int, int, int, std::string> cases[] = {
        {"a folder", dir / "sub", 1, 1, 1, dir / "sub"},
        {"a relative name with .exe added, against the current folder", "local\\run", 1, 1, 1, dir / "local\\run.exe"},
        {"no retry, no .exe", "local\\run", 0, 1, 0, "local\\run"},
        {"the first folder of the search path", "tool.exe", 0, 1, 1, dir / "bin\\tool.exe"},
        {"the .exe retry in the search path", "tool", 1, 1, 1, dir / "bin\\tool.exe"},
        {"no retry in the search path", "tool", 0, 1, 0, "tool"},
        {"an unset search path is not searched", "tool", 1, 0, 0, "tool"},
        {"the system order with the retry", "notepad", 1, 0, 1, "*\\notepad.exe"},
        {"the system order without it", "notepad", 0, 0, 0, "notepad"},
        {"the system order for the full name", "NOTEPAD.EXE", 0, 0, 1, "*\\notepad.exe"},
        {"a name too long for a path", std::string(300, 'n'), 1, 1, 0, std::string(259, 'n')},
    };
    for (const auto& [name, input, retry, searchPathSet, found, want] : cases) {
        SystemOptions.searchPathSet = searchPathSet;
        char result[kPathBytes];
        EXPECT_EQ(ResolveProgramPath(input.c_str(), retry, result), found) << name;
        EXPECT_TRUE(want[0] == '*' ? StrStrIA(result, want.c_str() + 1) && PathFileExistsA(result) : want == result)
            << name << ": " << result;
    }
    SetCurrentDirectoryA(previous);
}

TEST(ExpandMacros, FolderMacrosInOrderThenKeysNeverLoopingAndCutAt519Bytes) {
    auto special = [](int id) {
        char path[MAX_PATH] = "";
        return SHGetSpecialFolderPathA(nullptr, path, id, FALSE) ? std::string(path) : std::string();
    };
    const std::string desktop = special(CSIDL_DESKTOP);
    std::string appFiles = special(CSIDL_PROGRAM_FILES);
    ASSERT_NE(appFiles.find("Program"), std::string::npos);
    appFiles.replace(appFiles.find("Program"), 7, "App");
    // Each copy of this folder is 65 bytes, its last character double-byte: the eighth copy loses it at the cut.
    const std::string wide = "C:\\" + std::string(60, 'f') + "表";
    std::string twelve, cut;
    for (int i = 0; i < 12; ++i) twelve += "%Korval%";
    for (int i = 0; i < 8; ++i) cut += i < 7 ? wide : wide.substr(0, wide.size() - 2);
    // The program folder, the @param pair lines, the text and its expansion.
    const std::tuple<const char*, std::string, std::string, std::string, std::string> cases[] = {
        {"any case; temp_Korv is the desktop", "C:\\K\\", "", "%windows%|%temp_Korv%|%Desktop%",
         special(CSIDL_WINDOWS) + "|" + desktop + "|" + desktop},
        {"the program folder twice; a drive root", "D:\\", "", "%Korval%\\x;%KORVAL%", "D:\\x;D:"},
        {"common documents", "C:\\K\\", "", "%Common My Documents%", special(CSIDL_COMMON_DOCUMENTS)},
        {"a folder holding its own macro", "C:\\x%Korval%y\\", "", "%Korval%", "C:\\x%Korval%y"},
        {"cut on a character boundary", wide + "\\", "", twelve, cut},
        {"keys are found inside expanded folders", "C:\\K\\", "Program | App", "%Program Files%", appFiles},
        {"a value holding its key, in any case", "C:\\K\\", "ab | xaby", "ab-AB", "xaby-xaby"},
        {"later keys are found in earlier values", "C:\\K\\", "a | b\r\nb | c", "a", "c"},
        {"a folder macro in a value stays", "C:\\K\\", "D | %Windows%", "D", "%Windows%"},
    };
    for (const auto& [name, folder, pairs, text, want] : cases) {
        Reset();
        Parse("[system]\r\n@param\r\n" + pairs + "\r\n");
        lstrcpyA(ProgramFolder, folder.c_str());
        char result[kExpandBytes];
        ExpandMacros(text.c_str(), result);
        EXPECT_EQ(std::string(result), want) << name;
    }
    Reset();
}
