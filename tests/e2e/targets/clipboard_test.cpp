// Targets from the real clipboard, and the small launcher, observed through real processes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tables.h"
#include "support/wine_test.h"
#include "targets/targets.h"

using namespace korval_test;

namespace {

using Paths = std::vector<std::string>;

Paths Folders() {
    return Paths(TargetFolders, TargetFolders + TargetFolderCount);
}

Paths Files() {
    return Paths(TargetFiles, TargetFiles + TargetFileCount);
}

// A window of this process to own the clipboard while Korval's reader has it open.
struct OwnerWindow {
    HWND window = CreateWindowA("STATIC", "owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ~OwnerWindow() { DestroyWindow(window); }
};

class ClipboardTargetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTree(tree.path(), {"dir a\\", "ソ\\", "file.txt", "two words.txt"});
        SystemOptions.paramMode = 0;
    }
    // Reads the clipboard and checks that it was closed again.
    void Read() {
        OwnerWindow owner;
        ASSERT_NE(owner.window, nullptr);
        ReadClipboardTargets(owner.window);
        EXPECT_EQ(GetOpenClipboardWindow(), nullptr) << "the clipboard was left open";
    }
    TempDir tree;
};

}  // namespace

TEST_F(ClipboardTargetsTest, TextLinesWithCrLfAndSurroundingBlanks) {
    SetClipboardText("  " + (tree / "two words.txt") + " \r\n" + (tree / "dir a") + "\r\n\r\n\t" + (tree / "ソ\\") +
                     "\r\n" + (tree / "missing.txt") + "\r\n" + (tree / "file.txt"));
    Read();
    EXPECT_EQ(Folders(), (Paths{tree / "dir a", tree / "ソ"}));
    EXPECT_EQ(Files(), (Paths{tree / "two words.txt", tree / "file.txt"}));
}

TEST_F(ClipboardTargetsTest, AFileListWinsOverText) {
    SetClipboardFiles({tree / "file.txt", tree / "missing.txt", tree / "dir a", "Z:\\", tree / "ソ"}, true,
                      tree / "two words.txt");
    Read();
    EXPECT_EQ(Folders(), (Paths{tree / "dir a", "Z:", tree / "ソ"}));
    EXPECT_EQ(Files(), (Paths{tree / "file.txt"}));
}

TEST_F(ClipboardTargetsTest, NothingUsableLeavesTheListAsItWas) {
    struct Case {
        const char* name;
        void (*fill)();
    };
    const Case cases[] = {
        {"empty clipboard", [] { ClearClipboard(); }},
        {"empty text", [] { SetClipboardText(""); }},
    };
    for (const Case& c : cases) {
        c.fill();
        TargetFolderCount = 0;
        TargetFileCount = 3;
        Read();
        EXPECT_EQ(TargetFileCount, 3) << c.name;
        EXPECT_EQ(TargetFolderCount, 0) << c.name;
    }
    SetClipboardText(tree / "missing.txt");
    Read();
    EXPECT_EQ(TargetFileCount + TargetFolderCount, 0) << "text is read, even when it names nothing";
}

TEST_F(ClipboardTargetsTest, SeveralMegabytesOfTextStopAtOneThousandEntries) {
    std::vector<std::string> names;
    for (int i = 0; i < 1100; ++i) names.push_back("f" + std::to_string(i));
    MakeTree(tree.path(), names);
    std::string text;
    while (text.size() < (3u << 20)) text += std::string(2000, 'x') + "\r\n";
    for (const std::string& name : names) text += "  " + (tree / name) + "\r\n";
    SetClipboardText(text);
    Read();
    EXPECT_EQ(TargetFileCount, 1000);
    EXPECT_EQ(std::string(TargetFiles[999]), tree / "f999");
}

TEST_F(ClipboardTargetsTest, AFileListStopsAtOneThousandEntries) {
    std::vector<std::string> names;
    for (int i = 0; i < 1005; ++i) names.push_back("g" + std::to_string(i));
    MakeTree(tree.path(), names);
    Paths paths;
    for (const std::string& name : names) paths.push_back(tree / name);
    SetClipboardFiles(paths);
    Read();
    EXPECT_EQ(TargetFileCount, 1000);
    EXPECT_EQ(std::string(TargetFiles[999]), tree / "g999");
}

TEST(OpenWithProgram, StartsTheProgramInItsFolderWithTheDocument) {
    KorvalInstall install("");
    std::string recorder = install.InstallRecorder();
    OpenWithProgram(recorder.c_str(), "\"C:\\some folder\\Korval.ini\"");
    auto commandLine = install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the program was not started";
    EXPECT_NE(commandLine->find("\"C:\\some folder\\Korval.ini\""), std::string::npos) << *commandLine;
    auto folder = install.RecordedFolder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, install.folder());
}

TEST(OpenWithProgram, WithoutTheProgramTheShellOpensTheDocument) {
    KorvalInstall install("");
    std::string recorder = install.InstallRecorder();
    // The document is itself a program here, so the shell's opening of it can be seen.
    OpenWithProgram((install.folder() + "\\no-such-editor.exe").c_str(), recorder.c_str());
    auto commandLine = install.RecordedCommandLine();
    ASSERT_TRUE(commandLine.has_value()) << "the document was not opened";
    EXPECT_NE(commandLine->find("recorder.exe"), std::string::npos) << *commandLine;
}
