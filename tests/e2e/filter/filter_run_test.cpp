// Filter runs of a real Korval.exe on real trees: the exact bytes it delivers to the clipboard or
// hands to a started program, and the boxes it shows on the way.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

using Paths = std::vector<std::string>;

constexpr char kUntouched[] = "untouched";
constexpr char kLimitQuestion[] = "対象データが1000件を超えました。\r\n処理を続行しますか？";
constexpr char kEmptyResult[] = "対象データがありません！";

struct Box {
    std::string title;
    std::string text;
    bool yesNo = false;  // Yes and No buttons and no OK button
};

struct Outcome {
    bool ended = false;
    std::string clipboard;
    std::vector<Box> boxes;
};

// Runs Korval to its end; each message box it shows is recorded and answered with `answer`.
Outcome Start(const KorvalInstall& install, const std::string& arguments, int answer = IDOK) {
    SetClipboardText(kUntouched);
    Outcome outcome;
    KorvalProcess process(install.exe(), arguments, install.folder());
    for (int i = 0; i < 1200 && !process.Wait(50).has_value(); ++i) {
        if (auto box = WaitForDialog(process.id(), 0)) {
            HWND window = box->window;
            bool yesNo = GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO) && !GetDlgItem(window, IDOK);
            outcome.boxes.push_back({box->title, box->text, yesNo});
            PressButton(box->window, answer);
            for (int j = 0; j < 100 && IsWindow(box->window); ++j) Sleep(20);
        }
    }
    outcome.ended = process.Wait(0).has_value();
    outcome.clipboard = ClipboardText().value_or("");
    return outcome;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string Lines(const Paths& paths) {
    std::string text;
    for (const std::string& path : paths) text += (text.empty() ? "" : "\r\n") + path;
    return text;
}

// Folders and files in the order of a depth-first, pre-order walk through the file system.
void Walk(const std::string& folder, Paths* folders, Paths* files) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders->push_back(folder + "\\" + name);
            Walk(folder + "\\" + name, folders, files);
        } else {
            files->push_back(folder + "\\" + name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

std::string Settings(const std::string& system, const std::string& filters, const std::string& exec = "") {
    return "[system]\r\n" + system + "%end\r\n[filter]\r\n" + filters + "%end\r\n[exec]\r\n" + exec + "%end\r\n";
}

}  // namespace

TEST(FilterRun, EachScopeRowDecidesWhatIsLookedAt) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt", "sub\\", "sub\\b.txt", "sub\\deep\\", "sub\\deep\\c.txt"});
    Paths folders = {tree.path()};
    Paths files;
    Walk(tree.path(), &folders, &files);
    struct Case {
        const char* name;
        const char* system;
        const char* extra;
        std::string delivered;
    } cases[] = {
        {"the targets alone", "", "", tree.path()},
        {"Shift: inside the folder, one level", "", " /#k=sft", Lines({tree / "sub", tree / "a.txt"})},
        {"@sub: the folder and all its levels", "@sub\r\n", "", Lines(folders) + "\r\n" + Lines(files)},
    };
    for (const Case& c : cases) {
        KorvalInstall install(Settings(c.system, "All\r\n>.*\r\n"));
        Outcome outcome = Start(install, "/#f=\"All\" /#e1 " + Quoted(tree.path()) + c.extra);
        EXPECT_TRUE(outcome.ended) << c.name;
        EXPECT_TRUE(outcome.boxes.empty()) << c.name << ": " << outcome.boxes[0].text;
        EXPECT_EQ(outcome.clipboard, c.delivered) << c.name;
    }
}

TEST(FilterRun, EachFilterKindCollectsItsOwnItems) {
    TempDir tree;
    MakeTree(tree.path(), {"in\\", "in\\x.txt", "in\\y.LOG", "in\\z", "in\\sub\\", "t.txt", "t.bak"});
    std::string in = tree / "in";
    Paths folders = {in};
    Paths files;
    Walk(in, &folders, &files);
    auto only = [&](const std::vector<std::string>& extensions, bool keep) {
        Paths kept;
        for (const std::string& file : files) {
            bool listed = false;
            for (const std::string& extension : extensions) {
                listed = listed || StrCmpIA(PathFindExtensionA(file.c_str()), extension.c_str()) == 0;
            }
            if (listed == keep) kept.push_back(file);
        }
        return kept;
    };
    std::string filters =
        "Everything\r\n>.*\r\nFolders\r\n>Folder\r\nFoldersAndText\r\n>folder;.txt\r\nFiles\r\n>files\r\n"
        "Text\r\n>.log;.TXT\r\nNotText\r\n>$.txt\r\n";
    KorvalInstall install(Settings("@sub\r\n", filters));
    std::string targets = Quoted(in) + " " + Quoted(tree / "t.txt") + " " + Quoted(tree / "t.bak");
    struct Case {
        const char* entry;
        Paths delivered;
    } cases[] = {
        {"Everything", [&] {
             Paths all = folders;
             for (const Paths& part : {files, Paths{tree / "t.txt", tree / "t.bak"}}) {
                 all.insert(all.end(), part.begin(), part.end());
             }
             return all;
         }()},
        {"Folders", folders},
        {"FoldersAndText", [&] {
             Paths all = folders;
             for (const std::string& file : only({".txt"}, true)) all.push_back(file);
             return all;
         }()},
        {"Files", [&] {
             Paths all = files;
             all.push_back(tree / "t.txt");
             all.push_back(tree / "t.bak");
             return all;
         }()},
        {"Text", [&] {
             Paths all = only({".txt", ".log"}, true);
             all.push_back(tree / "t.txt");
             return all;
         }()},
        {"NotText", [&] {
             Paths all = only({".txt"}, false);
             all.push_back(tree / "t.bak");
             return all;
         }()},
    };
    for (const Case& c : cases) {
        Outcome outcome = Start(install, "/#f=\"" + std::string(c.entry) + "\" /#e1 " + targets);
        EXPECT_EQ(outcome.clipboard, Lines(c.delivered)) << c.entry;
    }
}

TEST(FilterRun, EveryEntryIsListedOnceInWalkOrderWhateverTheTargetsRepeat) {
    TempDir tree;
    MakeTree(tree.path(), {"b\\", "b\\one.txt", "b\\x\\", "b\\x\\two.txt", "a\\", "a\\three.txt", "four.txt"});
    Paths folders = {tree.path()};
    Paths files;
    Walk(tree.path(), &folders, &files);
    KorvalInstall install(Settings("@sub\r\n", "All\r\n>.*\r\n"));
    std::string upperFile = tree / "B\\ONE.TXT";
    Outcome outcome = Start(install, "/#f=\"All\" /#e1 " + Quoted(tree.path()) + " " + Quoted(tree / "b") + " " +
                                       Quoted(tree / "b\\x") + " " + Quoted(upperFile) + " " + Quoted(tree / "four.txt"));
    EXPECT_EQ(outcome.clipboard, Lines(folders) + "\r\n" + Lines(files));
}

TEST(FilterRun, AtTheLimitTheUserDecides) {
    TempDir tree;
    Paths names;
    for (int i = 0; i < 1000; ++i) names.push_back("many\\f" + std::to_string(1000 + i) + ".txt");
    MakeTree(tree.path(), names);
    Paths folders;
    Paths files;
    Walk(tree / "many", &folders, &files);
    KorvalInstall install(Settings("@sub\r\n", "Text\r\n>.txt\r\n"));
    std::string arguments = "/#f=\"Text\" /#e1 " + Quoted(tree / "many");

    Outcome exact = Start(install, arguments);
    EXPECT_TRUE(exact.boxes.empty()) << "1000 entries and no more need no question";
    EXPECT_EQ(exact.clipboard, Lines(files));

    WriteBytes(tree / "many\\zz.txt", "one too many");
    files.clear();
    Walk(tree / "many", &folders, &files);
    Outcome declined = Start(install, arguments, IDNO);
    ASSERT_EQ(declined.boxes.size(), 1u);
    EXPECT_EQ(declined.boxes[0].title, "Korval");
    EXPECT_EQ(declined.boxes[0].text, kLimitQuestion);
    EXPECT_TRUE(declined.boxes[0].yesNo);
    EXPECT_EQ(declined.clipboard, kUntouched) << "No delivers nothing";
    EXPECT_TRUE(declined.ended);

    Outcome accepted = Start(install, arguments, IDYES);
    ASSERT_EQ(accepted.boxes.size(), 1u);
    EXPECT_EQ(accepted.boxes[0].text, kLimitQuestion);
    files.resize(1000);
    EXPECT_EQ(accepted.clipboard, Lines(files)) << "Yes delivers the first 1000";
}

TEST(FilterRun, NothingToDeliverIsSaidAndNothingIsDelivered) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt", "sub\\"});
    KorvalInstall install(Settings("", "Folders\r\n>folder\r\n"));
    // Folders only, with target files alone.
    Outcome outcome = Start(install, "/#f=\"Folders\" /#e1 " + Quoted(tree / "a.txt"));
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].title, "Korval");
    EXPECT_EQ(outcome.boxes[0].text, kEmptyResult);
    EXPECT_EQ(outcome.clipboard, kUntouched);
    EXPECT_TRUE(outcome.ended);
}

TEST(FilterRun, BothSortModesRegroupByTheExtensionListUnlessExcluded) {
    TempDir tree;
    MakeTree(tree.path(), {"z\\", "z\\b.txt", "z\\a.log", "a\\", "a\\z.txt", "a\\c.log", "a\\m.doc", "b.old\\"});
    std::string t = tree.path();
    std::string targets = Quoted(t + "\\z") + " " + Quoted(t + "\\b.old") + " " + Quoted(t + "\\a");
    std::string filters = "Grouped\r\n>.txt;.log\r\nExcluded\r\n>$.doc\r\nAll\r\n>.*\r\n";
    struct Case {
        const char* system;
        const char* entry;
        Paths delivered;
    } cases[] = {
        {"@sub\r\n@sort=1\r\n", "Grouped",
         {t + "\\a\\z.txt", t + "\\z\\b.txt", t + "\\a\\c.log", t + "\\z\\a.log"}},
        {"@sub\r\n@sort=2\r\n", "Grouped",
         {t + "\\z\\b.txt", t + "\\a\\z.txt", t + "\\z\\a.log", t + "\\a\\c.log"}},
        {"@sub\r\n@sort=1\r\n", "Excluded",
         {t + "\\a\\c.log", t + "\\a\\z.txt", t + "\\z\\a.log", t + "\\z\\b.txt"}},
        {"@sub\r\n@sort=2\r\n", "Excluded",
         {t + "\\z\\a.log", t + "\\a\\c.log", t + "\\z\\b.txt", t + "\\a\\z.txt"}},
        {"@sort=1\r\n", "All", {t + "\\a", t + "\\b.old", t + "\\z"}},
        {"@sort=2\r\n", "All", {t + "\\a", t + "\\b.old", t + "\\z"}},
    };
    for (const Case& c : cases) {
        KorvalInstall install(Settings(c.system, filters));
        Outcome outcome = Start(install, "/#f=\"" + std::string(c.entry) + "\" /#e1 " + targets);
        EXPECT_EQ(outcome.clipboard, Lines(c.delivered)) << c.system << c.entry;
    }
}

TEST(FilterRun, ADriveRootLosesItsBackslashUnlessKept) {
    struct Case {
        const char* system;
        const char* delivered;
    } cases[] = {{"", "C:"}, {"@bs\r\n", "C:\\"}};
    for (const Case& c : cases) {
        KorvalInstall install(Settings(c.system, "Folders\r\n>folder\r\n"));
        Outcome outcome = Start(install, "/#f=\"Folders\" /#e1 C:\\");
        EXPECT_EQ(outcome.clipboard, c.delivered) << c.system;
    }
}

TEST(FilterRun, AProgramGetsQuotedArgumentsInItsOwnFolderAndTheClipboardPlainLines) {
    TempDir tree;
    MakeTree(tree.path(), {"My Docs\\", "a.txt", "b c.txt"});
    std::string folder = tree / "My Docs";
    std::string targets = Quoted(folder) + " " + Quoted(tree / "a.txt") + " " + Quoted(tree / "b c.txt");
    struct Case {
        const char* system;
        std::string folderArgument;
    } cases[] = {
        {"", Quoted(folder)},
        // The kept backslash is doubled inside the quotes so that it does not escape the closing quote.
        {"@bs\r\n", Quoted(folder + "\\\\")},
    };
    for (const Case& c : cases) {
        KorvalInstall probe("");
        std::string recorder = probe.InstallRecorder();
        KorvalInstall install(Settings(c.system, "All | Rec\r\n>.*\r\n", recorder + " | Rec\r\n>-x\r\n"));
        Outcome outcome = Start(install, "/#f=\"All\" " + targets);
        EXPECT_EQ(outcome.clipboard, kUntouched) << c.system;
        auto commandLine = probe.RecordedCommandLine();
        ASSERT_TRUE(commandLine.has_value()) << c.system << ": the program was not started";
        EXPECT_EQ(*commandLine, Quoted(recorder) + " -x " + c.folderArgument + " " + tree / "a.txt" + " " +
                                    Quoted(tree / "b c.txt"))
            << c.system;
        EXPECT_EQ(probe.RecordedFolder(), probe.folder()) << "the working folder is the program's own";

        Outcome copied = Start(install, "/#f=\"All\" /#e1 " + targets);
        std::string kept = c.system[0] != '\0' ? "\\" : "";
        EXPECT_EQ(copied.clipboard, Lines({folder + kept, tree / "a.txt", tree / "b c.txt"})) << c.system;
    }
}

TEST(FilterRun, E1CopiesOnlyAndE2StartsTheProgramWithItsArgumentsAfterTheCopy) {
    TempDir tree;
    MakeTree(tree.path(), {"a.txt"});
    KorvalInstall probe("");
    std::string recorder = probe.InstallRecorder();
    KorvalInstall install(Settings("", "Text | Rec\r\n>.txt\r\n", recorder + " | Rec\r\n>-x -y\r\n"));
    std::string record = probe.folder() + "\\record.txt";

    Outcome copied = Start(install, "/#f=\"Text\" /#e1 " + Quoted(tree / "a.txt"));
    EXPECT_EQ(copied.clipboard, tree / "a.txt");
    Sleep(500);
    EXPECT_FALSE(PathFileExistsA(record.c_str())) << "/#e1 starts nothing";

    Outcome started = Start(install, "/#f=\"Text\" /#e2 " + Quoted(tree / "a.txt"));
    EXPECT_EQ(started.clipboard, tree / "a.txt");
    auto commandLine = probe.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "/#e2 starts the program after the copy";
    EXPECT_EQ(commandLine->substr(commandLine->size() - 6), " -x -y") << *commandLine;
    EXPECT_EQ(commandLine->find("a.txt"), std::string::npos) << "the list is not passed: " << *commandLine;
}

TEST(FilterRun, AListTooLongForACommandLineGoesWholeToTheClipboard) {
    TempDir tree;
    Paths names;
    for (int i = 0; i < 300; ++i) names.push_back("long names\\" + std::string(120, 'n') + std::to_string(i) + ".txt");
    MakeTree(tree.path(), names);
    Paths folders;
    Paths files;
    Walk(tree / "long names", &folders, &files);
    KorvalInstall probe("");
    std::string recorder = probe.InstallRecorder();
    KorvalInstall install(Settings("@sub\r\n", "Text | Rec\r\n>.txt\r\n", recorder + " | Rec\r\n>-x\r\n"));
    Outcome outcome = Start(install, "/#f=\"Text\" " + Quoted(tree / "long names"));
    EXPECT_EQ(outcome.clipboard, Lines(files));
    Sleep(500);
    EXPECT_FALSE(PathFileExistsA((probe.folder() + "\\record.txt").c_str())) << "no program with part of the list";
}
