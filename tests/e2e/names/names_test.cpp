// Names the code page cannot hold and paths of 260 bytes or more, through every road a path takes in
// and out of Korval.exe: each delivered line opens the very file it stands for, and the wide outputs
// carry the true names.

#include "common/names.h"
#include "support/wine_test.h"

namespace {

using FileId = std::tuple<DWORD, DWORD, DWORD>;  // volume serial number, file index high and low
using WidePaths = std::vector<std::wstring>;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kFoldersToo = FILE_FLAG_BACKUP_SEMANTICS;  // opens a folder as well as a file

// Creates each file of `paths` (full paths from a drive) with its missing folders, the first one
// past the prefix and the drive ("\\?\C:\", 7 characters), through the prefix that keeps every name
// as written and takes paths of any length.
void MakeFiles(const WidePaths& paths) {
    for (const std::wstring& path : paths) {
        const std::wstring full = L"\\\\?\\" + path;
        for (size_t slash = full.find(L'\\', 7); slash != std::wstring::npos; slash = full.find(L'\\', slash + 1)) {
            CreateDirectoryW(full.substr(0, slash).c_str(), nullptr);
        }
        HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_TRUE(file != INVALID_HANDLE_VALUE && CloseHandle(file)) << "cannot create " << Narrow(path);
    }
}

// The file that `path` opens: as an ANSI program opens a delivered line, or as a wide path.
std::optional<FileId> IdOf(const std::wstring& path, bool ansi = false) {
    HANDLE file = ansi ? CreateFileA(Ansi(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, kFoldersToo, nullptr)
                       : CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, kFoldersToo, nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info) && CloseHandle(file);
    return read ? std::optional(FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow}) : std::nullopt;
}

// True when an ordinary program opens `path` as written: shorter than MAX_PATH, and no name ends
// with a dot or a blank, which path parsing would drop.
bool OpensAsWritten(const std::wstring& path) {
    std::wstring names = path + L"\\";
    return path.size() < MAX_PATH && names.find(L".\\") == std::wstring::npos &&
           names.find(L" \\") == std::wstring::npos;
}

// A delivery of `items`, each a distinct existing file: every delivered line (a CF_TEXT line, a
// started program's argument, a row of the option dialog) opens a distinct item by a path shorter
// than MAX_PATH, none is missing, and each of `names`, when there are any (the CF_UNICODETEXT lines,
// or the arguments themselves), is the true name of its item, or the delivered line where an
// ordinary program cannot open the true name.
void ExpectEveryItemOnce(const WidePaths& items, const WidePaths& lines, bool ansi, const WidePaths* names,
                         const char* road) {
    std::map<FileId, std::wstring> ids;
    for (const std::wstring& item : items) {
        if (std::optional<FileId> id = IdOf(L"\\\\?\\" + item)) ids[*id] = item;
    }
    ASSERT_EQ(ids.size(), items.size()) << road << ": the items are not distinct existing files";
    std::set<FileId> seen;
    std::vector<std::string> got, want;
    for (const std::wstring& line : lines) {
        std::optional<FileId> id = IdOf(line, ansi);
        bool known = id && ids.count(*id) && line.size() < MAX_PATH;
        EXPECT_TRUE(known && seen.insert(*id).second)
            << road << ": \"" << Narrow(line) << "\" opens no item, or one met before";
        want.push_back(Narrow(known && OpensAsWritten(ids.at(*id)) ? ids.at(*id) : line));
    }
    for (const std::wstring& name : names ? *names : lines) got.push_back(Narrow(name));
    EXPECT_EQ(seen.size(), ids.size()) << road << ": delivered " << ::testing::PrintToString(got);
    EXPECT_TRUE(names == nullptr || got == want)
        << road << ": the names " << ::testing::PrintToString(got) << " for " << ::testing::PrintToString(want);
}

constexpr char kSettings[] =
    "[system]\r\n@sub\r\n%end\r\n[filter]\r\nText | Rec\r\n>.txt\r\nXml\r\n>.xml\r\nDirs\r\n>folder\r\n%end\r\n";

}  // namespace

// Every road by which a path enters (the walk, a wide command line, a wide file list, wide text on
// the clipboard) delivers each item once, by a CF_TEXT line that opens it, with its true name as the
// CF_UNICODETEXT line: the hostile tree; folders of 259 bytes written with their trailing backslash,
// which keep their own bytes; a file met both in the walk of its folder and as a target of its own;
// names that path parsing would change, walked and delivered by their short names. An extension
// list compares the long name's extension, whichever name lists the file: caf\u00e9.html, listed by
// its short name CAF_~XXX.HTM, is an .html file, in the filter and in the regrouping of "@sort=1".
// A started program gets the true names in its wide command line, quoted where they hold a blank,
// and the short form where a true name is too long for a program that is not long-path aware.
TEST(Names, EveryRoadDeliversEachItemOnceByASpellingThatOpensIt) {
    TempDir dir;
    // A tree of hostile names: accented Latin beside its best-fit twin, Korean, emoji, Greek, names
    // whose trail byte is 0x5C, a folder whose own name does not convert, hidden entries, and a
    // folder whose path is over 300 bytes. Every file ends in ".txt" but one.
    const std::wstring root = Widen(dir / "tree"), long300 = L"long\\" + std::wstring(100, L'a') + L"\\" +
                                                             std::wstring(100, L'b') + L"\\" + std::wstring(100, L'c');
    WidePaths files;
    for (const std::wstring& name : WidePaths{
             L"caf\u00e9.txt", L"cafe.txt", L"\ud55c\uad6d\uc5b4.txt", L"emoji\U0001F600.txt",
             L"sub\\na\u00efve r\u00e9sum\u00e9.txt", L"sub\\naive resume.txt", L"\u03a9mega.txt",
             L"\u65e5\u672c\u8a9e.txt", L"\u30bd\u8868.txt", L"plain.txt", long300 + L"\\one.txt",
             long300 + L"\\t\u00e9o.txt", L"\ud3f4\ub354\\inner.txt", L"hidden.txt", L"hid\\h.txt"}) {
        files.push_back(root + L"\\" + name);
    }
    MakeFiles(files);
    MakeFiles({root + L"\\other.dat"});
    SetFileAttributesW((root + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((root + L"\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string a = MakeDeepFolder(dir / "a", kPathBytes - 1), b = MakeDeepFolder(dir / "b", kPathBytes - 1),
                      c = MakeDeepFolder(dir / "c", kPathBytes - 3) + "表";
    MakeFolder(c);
    const std::wstring folder = Widen(dir / "Long Folder"), cafe = folder + L"\\caf\u00e9.txt";
    // A folder too long for its long names, which only its short form names, and a file in it whose
    // long name converts; names that path parsing would change (a trailing dot, a trailing blank).
    const std::wstring deep = Widen(MakeDeepFolder(dir / "d", 250)) + L"\\" + std::wstring(20, L'x'),
                       inDeep = deep + L"\\long name.txt";
    const std::wstring odd = Widen(dir / "odd"), dotted = odd + L"\\dir.\\a.xml", blank = odd + L"\\sp \\c.xml";
    const std::wstring web = Widen(dir / "web"), html = web + L"\\caf\u00e9.html", htm = web + L"\\plain.htm";
    MakeFiles({cafe, inDeep, dotted, blank, html, htm});
    KorvalInstall install(kSettings),
        sorted("[system]\r\n@sub\r\n@sort=1\r\n%end\r\n[filter]\r\nHtml\r\n>.html\r\nHtm\r\n>.htm\r\n%end\r\n");
    std::wstring targets, lines;
    for (const std::wstring& file : files) targets += L" " + Quoted(file), lines += file + L"\r\n";
    const auto untouched = [] { SetClipboardText("untouched"); };
    const std::tuple<const char*, std::wstring, std::function<void()>, WidePaths, std::string, bool> rows[] = {
        {"the walk", L"/#f=\"Text\" /#e1 " + Quoted(root), ClearClipboard, files, "", false},
        {"a wide command line", L"/#f=\"Text\" /#e1" + targets, ClearClipboard, files, "", false},
        {"a wide file list", L"/#c /#f=\"Text\" /#e1", [&] { SetClipboardWideFiles(files); }, files, "", false},
        {"wide text", L"/#c /#f=\"Text\" /#e1", [&] { SetClipboardWideText(lines); }, files, "", false},
        {"259-byte folders, two written with their backslash",
         L"/#f=\"Dirs\" /#e1 " + Quoted(Widen(a)) + L" " + Quoted(Widen(b) + L"\\") + L" " + Quoted(Widen(c) + L"\\"),
         untouched, {Widen(a), Widen(b), Widen(c)}, a + "\r\n" + b + "\r\n" + c, false},
        {"a folder and its own file, on a wide command line",
         L"/#f=\"Text\" /#e1 " + Quoted(folder) + L" " + Quoted(cafe), untouched, {cafe}, "", false},
        {"a folder by its short form and its own file", L"/#f=\"Text\" /#e1 " + Quoted(deep) + L" " + Quoted(inDeep),
         untouched, {inDeep}, "", false},
        {"names that parsing would change, in the walk", L"/#f=\"Xml\" /#e1 " + Quoted(odd), untouched,
         {dotted, blank}, "", false},
        {"names that parsing would change, in a wide file list", L"/#c /#f=\"Xml\" /#e1",
         [&] { SetClipboardWideFiles({dotted, blank}); }, {dotted, blank}, "", false},
        {"the walk, .html", L"/#f=\"Html\" /#e1 " + Quoted(web), untouched, {html}, "", true},
        {"the walk, .htm", L"/#f=\"Htm\" /#e1 " + Quoted(web), untouched, {htm}, "", true},
        {"targets, .html", L"/#f=\"Html\" /#e1 " + Quoted(html) + L" " + Quoted(htm), untouched, {html}, "", true},
        {"targets, .htm", L"/#f=\"Htm\" /#e1 " + Quoted(html) + L" " + Quoted(htm), untouched, {htm}, "", true},
    };
    for (const auto& [road, arguments, fill, items, text, bySort] : rows) {
        fill();
        KorvalProcess process((bySort ? sorted : install).exe(), arguments, install.folder());
        ASSERT_EQ(process.ExpectEnd().value_or(99), 0u) << road;
        std::string delivered = ClipboardText().value_or("");
        const WidePaths names = SplitLines(ClipboardWideText().value_or(L""));
        ExpectEveryItemOnce(items, SplitLines(Widen(delivered)), true, &names, road);
        EXPECT_TRUE(text.empty() || delivered == text) << road << ": delivered\n" << delivered;
    }

    // Items dropped on the option dialog as wide names: each row opens its own item, the best-fit
    // twin included, and an item over 259 bytes arrives by its short form.
    Instance = GetModuleHandleA(nullptr);
    TargetFolderCount = TargetFileCount = 0;
    HMODULE resources = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamA(resources, "OPTION", nullptr, OptionDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    WidePaths items = files;
    items.push_back(root + L"\\\ud3f4\ub354");
    SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(items)), 0);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, kCountLabelId)), "Folder 1 : File 15");
    WidePaths dropped;
    for (int i = 0; i < TargetFileCount; ++i) dropped.push_back(Widen(TargetFiles[i]));
    ExpectEveryItemOnce(files, dropped, true, nullptr, "a drop on the option dialog");
    EXPECT_EQ(IdOf(Widen(TargetFolders[0]), true), IdOf(root + L"\\\ud3f4\ub354")) << TargetFolders[0];
    DestroyWindow(dialog);

    std::string recorder = install.InstallRecorder();
    WriteBytes(install.settingsPath(), std::string(kSettings) + "[exec]\r\n" + recorder + " | Rec\r\n>-x\r\n%end\r\n");
    ASSERT_EQ(install.Run(L"/#f=\"Text\" " + Quoted(root)).rfind("exit 0\n", 0), 0u);
    std::wstring line = install.RecordedWideCommandLine().value_or(L"");
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(arguments, nullptr) << Narrow(line);
    const WidePaths given(arguments + std::min(count, 2), arguments + count);
    LocalFree(arguments);
    ExpectEveryItemOnce(files, given, false, &given, "a started program");
    EXPECT_NE(line.find(L" -x "), std::wstring::npos) << Narrow(line);
    EXPECT_NE(line.find(Quoted(root + L"\\sub\\na\u00efve r\u00e9sum\u00e9.txt")), std::wstring::npos)
        << "a true name with blanks is quoted: " << Narrow(line);
}

// A file whose path stays over 259 bytes even in its short form has no usable path: it is left out,
// and the user is told once, whichever way the road ends; the same item met
// twice counts once, and an item that the filter would have refused by its extension is not counted.
TEST(Names, AnItemWithoutAUsablePathIsLeftOutAndCountedOnce) {
    TempDir dir;
    std::wstring root = Widen(dir.path()), deep = root;
    for (int level = 0; level < 30; ++level) deep += L"\\component_with_a_long_name_" + std::to_wstring(level);
    const std::wstring deepText = deep + L"\\deep.txt", deepData = deep + L"\\skipped.dat", ok = root + L"\\ok.txt";
    MakeFiles({deepText, deepData, ok});
    KorvalInstall install(kSettings);
    install.CopyRegexpLibrary();
    const std::string once = "box Korval: 扱えない名前またはパスの長さのため、1 件を対象から外しました。\n";
    const std::string none = "box Korval: 対象データがありません！\n", end = "exit 0\nclipboard: ";
    const std::tuple<const char*, std::wstring, std::string> runs[] = {
        {"the walk", L"/#f=\"Text\" /#e1 " + Quoted(root), once + end + dir.path() + "\\ok.txt"},
        {"the file twice and its folder walked", L"/#f=\"Text\" /#e1 " + Quoted(deepText) + L" " + Quoted(deepText) +
         L" " + Quoted(root), once + end + dir.path() + "\\ok.txt"},
        {"a content search behind a named filter", L"/#f=\"Text\" /#r=\"m/x/\" /#e1 " + Quoted(root) + L" " +
         Quoted(deepData), none + once + end + "untouched"},
        {"every target left out", L"/#f=\"Text\" /#e1 " + Quoted(deepText), once + "menu\n" + end + "untouched"},
        {"a cancelled menu", Quoted(ok) + L" " + Quoted(deepText), "menu\n" + once + end + "untouched"},
    };
    for (const auto& [name, arguments, expected] : runs) {
        SetClipboardText("untouched");
        EXPECT_EQ(install.Run(arguments), expected) << name;
    }
}

// Folder links that lead back into the walk (a\b\up to a, a\root to the tree) are not entered
// again: the two files come once each, not the 1000-entry question.
TEST(Names, FolderLinksBackIntoTheWalkAreNotEnteredAgain) {
    TempDir tree;
    MakeTree(tree.path(), {"a\\one.txt", "a\\b\\two.txt"});
    for (const auto& [folder, name] : {std::pair{tree / "a\\b", "up"}, std::pair{tree / "a", "root"}}) {
        // Made on the Linux side, where Wine shows a link to a folder as a folder link; were it shown
        // as a plain folder, the walk would run into the 1000-entry question.
        KorvalProcess link("Z:\\bin\\ln", std::string("-s .. ") + name, folder);
        const std::string path = folder + "\\" + name;
        const auto made = [&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
        ASSERT_TRUE(WaitUntil(kWindowDeadline, made)) << path;
    }
    KorvalInstall install(kSettings);
    std::string seen = install.Run("/#f=\"Text\" /#e1 \"" + tree.path() + "\"", IDNO);
    std::vector<std::string> lines = SplitLines(ClipboardText().value_or(""));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{tree / "a\\b\\two.txt", tree / "a\\one.txt"})) << seen;
    EXPECT_EQ(seen.rfind("exit 0\n", 0), 0u) << seen;
}

// The conversion seam: a name converts exactly or not at all, never best-fitted; without a short
// name an unconvertible name has no ANSI name; a path of 260 bytes is too long for a table row.
TEST(Names, ANameConvertsExactlyOrFallsBackToItsShortName) {
    const std::tuple<const wchar_t*, const wchar_t*, const char*> names[] = {
        {L"\u30bd\u8868.txt", L"", "\x83\x5c\x95\x5c.txt"},
        {L"\u03a9mega.txt", L"_MEG~SCN.TXT", "\x83\xb6mega.txt"},
        {L"caf\u00e9.txt", L"CAF_~CRT.TXT", "CAF_~CRT.TXT"},
        {L"caf\u00e9.txt", L"", nullptr},
        {L"dir.", L"DIR~1", "DIR~1"},
        {L"sp ", L"", nullptr},
        {L"emoji\U0001F600.txt", L"", nullptr},
    };
    for (const auto& [name, shortName, want] : names) {
        char out[kPathBytes];
        int length = ChooseAnsiName(name, shortName, out, sizeof out);
        EXPECT_EQ(length >= 0 ? std::string(out, length) : "none", want ? want : "none") << Narrow(name);
    }
    char out[kPathBytes];
    EXPECT_EQ(ToAnsiExactly(std::wstring(259, L'x').c_str(), 259, out, kPathBytes), 259);
    EXPECT_EQ(ToAnsiExactly(std::wstring(129, L'\u8868').c_str(), 129, out, kPathBytes), 258);
    EXPECT_EQ(ToAnsiExactly(std::wstring(260, L'x').c_str(), 260, out, kPathBytes), -1);
    EXPECT_EQ(ToAnsiExactly(std::wstring(130, L'\u8868').c_str(), 130, out, kPathBytes), -1);
}
