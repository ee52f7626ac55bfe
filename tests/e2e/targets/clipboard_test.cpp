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

// While another program holds the clipboard open, the copy fails: nothing is reported copied, and
// the program that was to start after the copy is not started.
TEST(ClipboardDelivery, AClipboardHeldOpenElsewhereIsNoCopy) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt"});
    KorvalInstall install("");
    WriteBytes(install.settingsPath(), "[filter]\r\nText | Rec\r\n>.txt\r\n%end\r\n[exec]\r\n" +
                                           install.InstallRecorder() + " | Rec\r\n%end\r\n");
    SetClipboardText("untouched");
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr), ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Held by a window: Wine lets any thread open a clipboard that is open without one.
    std::thread holder([&] {
        HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (WaitUntil(kClipboardDeadline, [&] { return OpenClipboard(owner) != FALSE; })) SetEvent(opened);
        WaitForSingleObject(ended, INFINITE);
        CloseClipboard();
        DestroyWindow(owner);
    });
    const bool held = WaitForSingleObject(opened, kClipboardDeadline) == WAIT_OBJECT_0;
    std::optional<DWORD> code;
    if (held) code = KorvalProcess(install.exe(), "/#f=\"Text\" /#e1 /#e2 " + Quoted(tree / "a.txt"), install.folder()).ExpectEnd();
    SetEvent(ended);
    holder.join();
    ASSERT_TRUE(held) << "the test could not open the clipboard\n" << ScreenReport();
    EXPECT_EQ(install.EndOfRun(code), "exit 0\nclipboard: untouched");
    CloseHandle(opened);
    CloseHandle(ended);
}
