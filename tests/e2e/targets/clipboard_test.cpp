// Targets from the real clipboard, and the launcher's fallback to the shell, observed through real processes.
#include "unit/settings/fixture.h"

TEST(ClipboardTargets, TextLinesFileListsAndNothingUsable) {
    TempDir tree;
    MakeTree(tree.path(), {"dir a\\", "ソ\\", "file.txt", "two words.txt"});
    const std::string so = tree / "ソ", dir = tree / "dir a", file = tree / "file.txt", two = tree / "two words.txt";
    const std::tuple<const char*, std::function<void()>, Paths, Paths> cases[] = {
        {"text lines: CR LF, blanks around, a ソ folder with its backslash",
         [&] { SetClipboardText("  " + two + " \r\n" + dir + "\r\n\r\n\t" + so + "\\\r\n" + file + "x\r\n" + file); },
         {dir, so}, {two, file}},
        {"a file list wins over text", [&] { SetClipboardFiles({file, file + "x", dir, "Z:\\", so}, true, two); },
         {dir, "Z:", so}, {file}},
        {"a file list stops at 1000 entries", [&] { SetClipboardFiles(Paths(1005, file)); }, {}, Paths(1000, file)},
        // Nothing usable leaves the list as it was.
        {"an empty clipboard", ClearClipboard, {dir}, {}}, {"empty text", [] { SetClipboardText(""); }, {dir}, {}},
    };
    HWND owner = CreateWindowA("STATIC", "owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (const auto& [name, fill, folders, files] : cases) {
        fill();
        SplitTargets(Quoted(dir).c_str(), kCommandLineMode);
        ReadClipboardTargets(owner);
        // The clipboard must be closed again whatever it held.
        EXPECT_EQ(std::make_tuple(GetOpenClipboardWindow(), Folders(), Files()),
                  std::make_tuple(static_cast<HWND>(nullptr), folders, files)) << name;
    }
    DestroyWindow(owner);
}

TEST(OpenWithProgram, WithoutTheProgramTheShellOpensTheDocument) {
    KorvalInstall install("");
    // The document is itself a program here, so that the shell's opening of it can be seen.
    OpenWithProgram((install.folder() + "\\no-such-editor.exe").c_str(), install.InstallRecorder().c_str());
    EXPECT_TRUE(install.RecordedCommandLine().has_value()) << "the document was not opened";
}
