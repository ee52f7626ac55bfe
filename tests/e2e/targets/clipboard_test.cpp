// Targets from the real clipboard, and the launcher's fallback to the shell, observed through real processes.
#include "unit/settings/fixture.h"

#include <cstring>

namespace {

// Puts `text` on the clipboard as CF_UNICODETEXT alone, marked with the English (US) locale, as a
// program does while an English keyboard layout is active: the system then makes the CF_TEXT
// beside it with that locale's code page, which lacks every Japanese character.
void SetWideTextUnderEnglishLayout(const std::string& text) {
    const std::wstring wide = Widen(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL unicode = GlobalAlloc(GHND, bytes), locale = GlobalAlloc(GHND, sizeof(LCID));
    std::memcpy(GlobalLock(unicode), wide.c_str(), bytes);
    *static_cast<LCID*>(GlobalLock(locale)) = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    GlobalUnlock(unicode), GlobalUnlock(locale);
    ASSERT_TRUE(WaitUntil(kClipboardDeadline, [] { return OpenClipboard(nullptr) != FALSE; })) << ScreenReport();
    EmptyClipboard(), SetClipboardData(CF_UNICODETEXT, unicode), SetClipboardData(CF_LOCALE, locale), CloseClipboard();
    ASSERT_NE(ClipboardText().value_or(text), text) << "the system made CF_TEXT in the system's code page";
}

}  // namespace

TEST(ClipboardTargets, TextLinesFileListsAndNothingUsable) {
    TempDir tree;
    MakeTree(tree.path(), {"dir a\\", "ソ\\", "ソ\\a.txt", "file.txt", "two words.txt"});
    const std::string so = tree / "ソ", dir = tree / "dir a", file = tree / "file.txt", two = tree / "two words.txt";
    const std::string soFile = tree / "ソ\\a.txt";
    const std::tuple<const char*, std::function<void()>, Paths, Paths> cases[] = {
        {"text lines: CR LF, blanks around, a ソ folder with its backslash",
         [&] { SetClipboardText("  " + two + " \r\n" + dir + "\r\n\r\n\t" + so + "\\\r\n" + file + "x\r\n" + file); },
         {dir, so}, {two, file}},
        {"wide text is read, not the ANSI text the system made from it",
         [&] { SetWideTextUnderEnglishLayout(soFile + "\r\n" + dir); }, {dir}, {soFile}},
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
