// Filter runs of a real Korval.exe on real trees, one row each: the exact bytes it delivers to the
// clipboard or hands to a started program, and the boxes it shows on the way.

#include "support/wine_test.h"

namespace {

using Paths = std::vector<std::string>;

constexpr char kUntouched[] = "untouched";
constexpr size_t kCommandLineUnits = 32767;  // the platform's limit, terminator included
constexpr char kLimitQuestion[] = "対象データが1000件を超えました。\r\n処理を続行しますか？ [yes/no]";

Paths Join(Paths paths, const Paths& more) {
    paths.insert(paths.end(), more.begin(), more.end());
    return paths;
}

// `names` below `root`, one a line.
std::string Under(const std::string& root, Paths names) {
    for (std::string& name : names) name = root + "\\" + name;
    return Lines(names);
}

// Command-line arguments: each path quoted, behind a blank.
std::string Targets(const Paths& paths) {
    std::string arguments;
    for (const std::string& path : paths) arguments += " " + Quoted(path);
    return arguments;
}

// The files below `folder`, at all levels or the top one, in the file system's own depth-first,
// pre-order enumeration, which the expected lists follow; the folders are added to `folders`.
Paths Walk(const std::string& folder, bool allLevels = true, Paths* folders = nullptr) {
    Paths files;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry)) {
        const std::string name = entry.cFileName, path = folder + "\\" + name;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(path);
        } else if (name != "." && name != "..") {
            if (folders) folders->push_back(path);
            if (allLevels) files = Join(files, Walk(path, true, folders));
        }
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return files;
}

// The files whose extension is among `extensions` (`listed`), or is not.
Paths Pick(const Paths& files, const Paths& extensions, bool listed) {
    Paths kept;
    for (const std::string& file : files) {
        const char* extension = PathFindExtensionA(file.c_str());
        bool found = std::any_of(extensions.begin(), extensions.end(),
                                 [&](const std::string& e) { return StrCmpIA(extension, e.c_str()) == 0; });
        if (found == listed) kept.push_back(file);
    }
    return kept;
}

// `delivered` is the clipboard's text, `box` the one message box's text (empty for none), answered
// with `answer`; `started` the program's arguments (empty: nothing starts).
struct Row {
    const char* name;
    std::string settings, arguments, delivered, box = "";
    int answer = IDOK;
    std::string started = "";
    bool library = true;
};

}  // namespace

TEST(FilterRun, EachRowDeliversExactlyItsBytes) {
    TempDir t;
    std::string p = t / "p", s = t / "s", w = t / "w", d = t / "d", r = t / "r", docs = t / "My Docs";
    MakeTree(t.path(), {"p\\b\\", "p\\b\\one.txt", "p\\b\\x\\", "p\\b\\x\\two.LOG", "p\\b\\x\\z", "p\\a\\",
                        "p\\a\\three.txt", "p\\four.bak", "My Docs\\", "b c.txt", "s\\z\\", "s\\z\\b.txt", "s\\z\\a.log",
                        "s\\z\\a\\", "s\\a\\", "s\\a\\z.txt", "s\\a\\c.log", "s\\a\\m.doc", "s\\b.old\\", "表\\",
                        "d\\Ａ.txt", "d\\\x87\x54.txt"});
    Paths names;
    for (int i = 0; i < 1000; ++i) names.push_back("many\\f" + std::to_string(1000 + i) + ".txt");
    for (int i = 0; i < 300; ++i) names.push_back("long\\" + std::string(120, 'n') + std::to_string(i) + ".txt");
    MakeTree(t.path(), names);
    // r's files are searched in this order: a short file, one that needs more room than it left (its
    // first bytes are read before the room grows), and one whose bytes with the previous file's rest
    // would match.
    const std::vector<std::pair<std::string, std::string>> words = {
        {"w\\a.txt", "first line\r\nthe needle is here\r\n"}, {"w\\b.txt", "nothing to see"},
        {"w\\c.log", "a needle in a log"}, {"w\\sub\\d.txt", "NEEDLE in capitals"}, {"w\\sub\\needle.txt", "a name, no contents"},
        {"w\\zero.txt", std::string("abc\0needle", 10)}, {"w\\early.txt", std::string("needle\0abc", 10)},
        {"w\\empty.txt", ""}, {"w\\plain.log", "no pin here"}, {"w\\other.log", "no pin either"}, {"w\\names\\a.b.c", "x"},
        {"w\\names\\ab", "x"}, {"w\\names\\x.b", "x"}, {"r\\short.txt", "tiny"},
        {"r\\long.txt", "needle" + std::string(300000, 'x')}, {"r\\after.txt", "nee"}};
    for (const auto& [name, bytes] : words) WriteBytes(t / name, bytes);
    const std::string sizes = Targets({r + "\\short.txt", r + "\\long.txt", r + "\\after.txt"});
    // Opened without sharing for the whole test: no run can read it.
    std::unique_ptr<void, decltype(&CloseHandle)> locked(
        CreateFileA((w + "\\other.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), &CloseHandle);
    KorvalInstall install("");
    const std::string recorder = install.InstallRecorder(), above = install.folder().substr(0, install.folder().rfind('\\'));
    auto settings = [&](const std::string& system, const std::string& filters, const std::string& regexps = "") {
        return "[system]\r\n" + system + "%end\r\n[filter]\r\n" + filters + "%end\r\n[regexp]\r\n" + regexps +
               "%end\r\n[exec]\r\n" + recorder + " | Rec\r\n>-x\r\n%end\r\n";
    };

    // The longest list a started program takes on its command line, counted in UTF-16 units: the last
    // list that fits starts the program with every path, one unit more goes whole to the clipboard.
    // 80 double-byte characters make a name of 87 units but 167 bytes, so the list is well over the
    // limit in bytes while it fits in units. First come the quoted program, a blank, "-x" and the
    // terminator, then every path behind a blank: long paths until the last one, short enough for a
    // table row, takes what is left of the limit.
    std::string limits[2];
    for (int extra : {0, 1}) {
        const std::string folder = t / ("limit" + std::to_string(extra));
        size_t used = Quoted(recorder).size() + 4;
        for (int i = 100; kCommandLineUnits - used - 1 > 250; ++i) {
            WriteBytes(folder + "\\" + Ansi(std::wstring(80, L'\u8868')) + std::to_string(i) + ".txt", "");
            used += Widen(folder).size() + 89;  // a blank, the folder, a backslash and 87 units
        }
        WriteBytes(folder + "\\" + std::string(kCommandLineUnits - used + extra - Widen(folder).size() - 6, 'z') + ".txt", "");
        const Paths files = Walk(folder);
        limits[extra] = extra ? Lines(files) : "-x";
        for (const std::string& file : files) limits[extra] += extra ? "" : " " + file;
    }
    Paths all = {p}, top, in = {p + "\\b"};
    const Paths allFiles = Walk(p, true, &all), topFiles = Walk(p, false, &top), inFiles = Walk(p + "\\b", true, &in);
    const Paths manyFiles = Walk(t / "many"), inAll = Join(inFiles, {p + "\\four.bak", p + "\\a\\three.txt"});
    std::string filters = "Everything\r\n>.*\r\nFolders\r\n>Folder\r\nFoldersAndText\r\n>folder;.txt\r\n"
                          "Files\r\n>files\r\nText | Rec\r\n>.TXT;.log\r\nNotText\r\n>$.txt\r\n";
    std::string kinds = settings("", filters), sub = settings("@sub\r\n", filters), keep = settings("@bs\r\n", filters);
    std::string in3 = Targets({p + "\\b", p + "\\four.bak", p + "\\a\\three.txt"});
    std::string sorts = "Grouped\r\n>.txt;.log;.TXT\r\nExcluded\r\n>$.doc\r\nFolders\r\n>folder\r\n";
    std::string sort1 = settings("@sub\r\n@sort=1\r\n", sorts), sort2 = settings("@sub\r\n@sort=2\r\n", sorts);
    std::string sortTargets = Targets({s + "\\z", s + "\\b.old", s + "\\a"});
    std::string quoting = Targets({docs, p + "\\a\\three.txt", t / "b c.txt"});
    std::string regexps = "Needle\r\n>*needle\r\nNoNeedle\r\n>$*needle\r\nEmpty\r\n>*^$\r\n";
    std::string wordsRun = settings("@sub\r\n@sort=1\r\n", "Text\r\n>.txt\r\n", regexps), wq = " " + Quoted(w);
    std::string bare = settings("@sub\r\n@sort=1\r\n", "Text\r\n>.txt\r\n");

    const Row rows[] = {
        {"targets alone", kinds, "/#f=\"Everything\" /#e1 " + Quoted(p), p},
        {"Shift: one level inside", kinds, "/#f=\"Everything\" /#e1 /#k=sft " + Quoted(p), Lines(Join(top, topFiles))},
        {"@sub, walk order, duplicates", sub,
         "/#f=\"Everything\" /#e1" + Targets({p, p + "\\B", p, p + "\\b\\x", p + "\\B\\ONE.TXT", p + "\\four.bak"}),
         Lines(Join(all, allFiles))},
        {"kind 0", sub, "/#f=\"Everything\" /#e1" + in3, Lines(Join(in, inAll))},
        {"kind 1", sub, "/#f=\"Folders\" /#e1" + in3, Lines(in)},
        {"kind 1 testing walked files", sub, "/#f=\"FoldersAndText\" /#e1" + in3, Lines(Join(in, Pick(inFiles, {".txt"}, true)))},
        {"kind 2", sub, "/#f=\"Files\" /#e1" + in3, Lines(inAll)},
        {"kind 9, not regrouped unsorted", sub, "/#f=\"Text\" /#e1" + in3, Lines(Pick(inAll, {".txt", ".log"}, true))},
        {"kind 9 excluding", sub, "/#f=\"NotText\" /#e1" + in3, Lines(Pick(inAll, {".txt"}, false))},
        // Full-width letters have cases, and the code page spells Ⅰ as 87 54 and as FA 4A; ⅰ is FA 40.
        {"duplicates beyond ASCII", kinds,
         "/#f=\"Files\" /#e1" + Targets({d + "\\Ａ.txt", d + "\\ａ.txt", d + "\\\x87\x54.txt", d + "\\\xFA\x4A.txt", d + "\\\xFA\x40.txt"}),
         Under(d, {"Ａ.txt", "\x87\x54.txt"})},
        {"nothing", kinds, "/#f=\"Folders\" /#e1 " + Quoted(p + "\\four.bak"), kUntouched, "対象データがありません！"},
        {"exactly 1000", sub, "/#f=\"Files\" /#e1 " + Quoted(t / "many"), Lines(manyFiles)},
        {"a duplicate beyond 1000, No", sub, "/#f=\"Files\" /#e1" + Targets({t / "many", manyFiles[0]}), kUntouched,
         kLimitQuestion, IDNO},
        {"a later folder beyond 1000, Yes", sub, "/#f=\"Files\" /#e1" + Targets({t / "many", p + "\\a"}), Lines(manyFiles),
         kLimitQuestion, IDYES},
        {"@sort=1 grouped", sort1, "/#f=\"Grouped\" /#e1" + sortTargets, Under(s, {"a\\z.txt", "z\\b.txt", "a\\c.log", "z\\a.log"})},
        {"@sort=2 grouped", sort2, "/#f=\"Grouped\" /#e1" + sortTargets, Under(s, {"z\\b.txt", "a\\z.txt", "z\\a.log", "a\\c.log"})},
        {"@sort=1 excluded", sort1, "/#f=\"Excluded\" /#e1" + sortTargets, Under(s, {"a\\c.log", "a\\z.txt", "z\\a.log", "z\\b.txt"})},
        {"@sort=2 excluded", sort2, "/#f=\"Excluded\" /#e1" + sortTargets, Under(s, {"z\\a.log", "a\\c.log", "z\\b.txt", "a\\z.txt"})},
        {"@sort=1 folders", sort1, "/#f=\"Folders\" /#e1" + sortTargets, Under(s, {"a", "b.old", "z", "z\\a"})},
        {"@sort=2 folders", sort2, "/#f=\"Folders\" /#e1" + sortTargets, Under(s, {"a", "z\\a", "b.old", "z"})},
        {"drive root", kinds, "/#f=\"Folders\" /#e1 C:\\", "C:"},
        {"drive root, @bs", keep, "/#f=\"Folders\" /#e1 C:\\", "C:\\"},
        // 表 ends in the byte 5C, which is no backslash: it is neither kept as one nor cut off.
        {"a name ending in 5C", kinds, "/#f=\"Folders\" /#e1 " + Quoted(t / "表"), t / "表"},
        {"a name ending in 5C, @bs", keep, "/#f=\"Folders\" /#e1 " + Quoted(t / "表"), t / "表\\"},
        {"program", kinds, "/#f=\"Everything\"" + quoting, kUntouched, "", IDOK,
         "-x " + Quoted(docs) + " " + p + "\\a\\three.txt " + Quoted(t / "b c.txt")},
        // The kept backslash is doubled so that it does not escape the closing quote.
        {"program, @bs", keep, "/#f=\"Everything\"" + quoting, kUntouched, "", IDOK,
         "-x " + Quoted(docs + "\\\\") + " " + p + "\\a\\three.txt " + Quoted(t / "b c.txt")},
        {"/#e1, @bs", keep, "/#f=\"Everything\" /#e1" + quoting, Lines({docs + "\\", p + "\\a\\three.txt", t / "b c.txt"})},
        // Copied, then started with its own arguments alone, in Korval's folder.
        {"/#e2", kinds, "/#f=\"Text\" /#e2 " + Quoted(p + "\\a\\three.txt"), p + "\\a\\three.txt", "", IDOK, "-x in " + above},
        {"too long for a program", sub, "/#f=\"Text\" " + Quoted(t / "long"), Lines(Walk(t / "long"))},
        {"the longest list a program takes", sub, "/#f=\"Text\" " + Quoted(t / "limit0"), kUntouched, "", IDOK, limits[0]},
        {"one unit more goes to the clipboard", sub, "/#f=\"Text\" " + Quoted(t / "limit1"), limits[1]},
        {"named entry: contents up to a zero byte", wordsRun, "/#r=\"Needle\" /#e1" + wq, Under(w, {"c.log", "a.txt", "early.txt"})},
        {"bare expression: the name", bare, "/#r=\"needle\" /#e1" + wq, w + "\\sub\\needle.txt"},
        {"bare expression: no extension", bare, "/#r=\"m/b$/\" /#e1" + wq, Under(w, {"b.txt", "names\\a.b.c", "names\\ab"})},
        {"invert, never the locked file", wordsRun,
         "/#r=\"NoNeedle\" /#e1" + Targets({w + "\\sub", w + "\\b.txt", w + "\\other.log", w + "\\zero.txt"}),
         Under(w, {"b.txt", "zero.txt", "sub\\d.txt", "sub\\needle.txt"})},
        {"an empty file", wordsRun, "/#r=\"Empty\" /#e1" + wq, w + "\\empty.txt"},
        {"files of growing and shrinking size", wordsRun, "/#r=\"Needle\" /#e1" + sizes, r + "\\long.txt"},
        {"files of growing and shrinking size, inverted", wordsRun, "/#r=\"NoNeedle\" /#e1" + sizes, Under(r, {"after.txt", "short.txt"})},
        // plain.log would pass the inverted search, other.log would fail to open.
        {"/#f= before the search", wordsRun, "/#f=\"Text\" /#r=\"NoNeedle\" /#e1" + wq,
         Under(w, {"b.txt", "empty.txt", "zero.txt", "sub\\d.txt", "sub\\needle.txt"})},
        {"no library", wordsRun, "/#r=\"Needle\" /#e1" + wq, kUntouched, "正規表現検索ができません！", IDOK, "", false},
    };
    for (const Row& row : rows) {
        WriteBytes(install.settingsPath(), row.settings);
        row.library ? install.CopyRegexpLibrary() : void(DeleteFileA((install.folder() + "\\BREGEXP.DLL").c_str()));
        SetClipboardText(kUntouched);
        EXPECT_EQ(install.Run(row.arguments, row.answer),
                  (row.box.empty() ? "" : "box Korval: " + row.box + "\n") + "exit 0\nclipboard: " + row.delivered +
                      (row.started.empty() ? "" : "\nstarted: " + row.started))
            << row.name;
    }
}
