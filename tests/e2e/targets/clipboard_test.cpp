// Targets from the real clipboard, and the launcher's fallback to the shell, observed through real processes.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "unit/settings/fixture.h"

using namespace fixture;

TEST(ClipboardTargets, TextLinesFileListsAndNothingUsable) {
    TempDir tree;
    Paths many;
    for (int i = 0; i < 1005; ++i) WriteBytes(many.emplace_back(tree / ("g" + std::to_string(i))), "");
    MakeTree(tree.path(), {"dir a\\", "ソ\\", "file.txt", "two words.txt"});
    const std::string so = tree / "ソ", dir = tree / "dir a", file = tree / "file.txt", two = tree / "two words.txt";
    const std::string missing = tree / "missing.txt";
    const std::tuple<const char*, std::function<void()>, Paths, Paths> cases[] = {
        {"text lines: CR LF, blanks around, a ソ folder with its backslash",
         [&] { SetClipboardText("  " + two + " \r\n" + dir + "\r\n\r\n\t" + so + "\\\r\n" + missing + "\r\n" + file); },
         {dir, so}, {two, file}},
        {"a file list wins over text", [&] { SetClipboardFiles({file, missing, dir, "Z:\\", so}, true, two); },
         {dir, "Z:", so}, {file}},
        {"a file list stops at 1000 entries", [&] { SetClipboardFiles(many); }, {}, Paths(&many[0], &many[1000])},
        {"an empty clipboard leaves the list as it was", ClearClipboard, {}, {"before"}},
        {"empty text leaves the list as it was", [] { SetClipboardText(""); }, {}, {"before"}},
    };
    for (const auto& [name, fill, folders, files] : cases) {
        fill();
        lstrcpyA(TargetFiles[0], "before");
        TargetFileCount = 1;
        TargetFolderCount = 0;
        HWND owner = CreateWindowA("STATIC", "owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ReadClipboardTargets(owner);
        EXPECT_EQ(GetOpenClipboardWindow(), nullptr) << name << ": the clipboard was left open";
        DestroyWindow(owner);
        EXPECT_EQ(std::make_pair(Folders(), Files()), std::make_pair(folders, files)) << name;
    }
}

TEST(OpenWithProgram, WithoutTheProgramTheShellOpensTheDocument) {
    KorvalInstall install("");
    // The document is itself a program here, so that the shell's opening of it can be seen.
    OpenWithProgram((install.folder() + "\\no-such-editor.exe").c_str(), install.InstallRecorder().c_str());
    EXPECT_TRUE(install.RecordedCommandLine().has_value()) << "the document was not opened";
}
