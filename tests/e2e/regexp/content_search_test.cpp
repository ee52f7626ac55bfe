// Regular-expression runs of a real Korval.exe with our BREGEXP.DLL beside it: name and content
// searches, inversion, the pre-test of a named filter, odd file contents and a missing library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

using Paths = std::vector<std::string>;

constexpr char kUntouched[] = "untouched";

struct Outcome {
    bool ended = false;
    std::string clipboard;
    std::vector<FoundWindow> boxes;
};

// Runs Korval to its end, confirming every message box it shows.
Outcome Search(const KorvalInstall& install, const std::string& arguments) {
    SetClipboardText(kUntouched);
    Outcome outcome;
    KorvalProcess process(install.exe(), arguments, install.folder());
    for (int i = 0; i < 600 && !process.Wait(50).has_value(); ++i) {
        if (auto box = WaitForDialog(process.id(), 0)) {
            outcome.boxes.push_back(*box);
            PressButton(box->window, IDOK);
            for (int j = 0; j < 100 && IsWindow(box->window); ++j) Sleep(20);
        }
    }
    outcome.ended = process.Wait(0).has_value();
    outcome.clipboard = ClipboardText().value_or("");
    return outcome;
}

std::string Lines(const Paths& paths) {
    std::string text;
    for (const std::string& path : paths) text += (text.empty() ? "" : "\r\n") + path;
    return text;
}

// Sorted by folder, extension and name, so that the expected lists do not depend on the walk order.
std::string Settings(const std::string& regexps, const std::string& filters = "Text\r\n>.txt\r\n") {
    return "[system]\r\n@sub\r\n@sort=1\r\n%end\r\n[filter]\r\n" + filters + "%end\r\n[regexp]\r\n" + regexps +
           "%end\r\n";
}

// Holds a file open with no sharing, so that no other process can read it.
class LockedFile {
public:
    explicit LockedFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    bool locked() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class ContentSearch : public ::testing::Test {
protected:
    void SetUp() override {
        files_ = {
            {"a.txt", "first line\r\nthe needle is here\r\n"},
            {"b.txt", "nothing to see"},
            {"c.log", "a needle in a log"},
            {"sub\\d.txt", "NEEDLE in capitals"},
            {"sub\\needle.txt", "a name, no contents"},
            {"zero.txt", std::string("abc\0needle", 10)},
            {"early.txt", std::string("needle\0abc", 10)},
            {"empty.txt", ""},
        };
        for (const auto& [name, bytes] : files_) WriteBytes(tree_ / name, bytes);
    }

    std::string Path(const std::string& name) const { return tree_ / name; }
    std::string Target() const { return "\"" + tree_.path() + "\""; }

    TempDir tree_;
    std::vector<std::pair<std::string, std::string>> files_;
};

}  // namespace

TEST_F(ContentSearch, ANamedEntrySearchesContentsUpToTheFirstZeroByte) {
    KorvalInstall install(Settings("Needle\r\n>*needle\r\n"));
    install.CopyRegexpLibrary();
    Outcome outcome = Search(install, "/#r=\"Needle\" /#e1 " + Target());
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(outcome.clipboard, Lines({Path("c.log"), Path("a.txt"), Path("early.txt")}));
}

TEST_F(ContentSearch, ABareExpressionSearchesBaseNamesWithoutTheirExtension) {
    WriteBytes(Path("names\\a.b.c"), "");
    WriteBytes(Path("names\\ab"), "");
    WriteBytes(Path("names\\x.b"), "");
    WriteBytes(Path("names\\needle.b"), "");
    KorvalInstall install(Settings(""));
    install.CopyRegexpLibrary();
    struct Case {
        const char* expression;
        Paths delivered;
    } cases[] = {
        {"needle", {Path("names\\needle.b"), Path("sub\\needle.txt")}},
        {"m/b$/", {Path("b.txt"), Path("names\\a.b.c"), Path("names\\ab")}},
        {"/^(empty|early)$/", {Path("early.txt"), Path("empty.txt")}},
    };
    for (const Case& c : cases) {
        Outcome outcome = Search(install, "/#r=\"" + std::string(c.expression) + "\" /#e1 " + Target());
        EXPECT_EQ(outcome.clipboard, Lines(c.delivered)) << c.expression;
    }
}

TEST_F(ContentSearch, InvertKeepsWhatDoesNotMatchButNeverWhatCannotBeRead) {
    LockedFile locked(Path("b.txt"));
    ASSERT_TRUE(locked.locked());
    KorvalInstall install(Settings("NoNeedle\r\n>$*needle\r\nEmpty\r\n>*^$\r\n"));
    install.CopyRegexpLibrary();
    Outcome inverted = Search(install, "/#r=\"NoNeedle\" /#e1 " + Target());
    EXPECT_EQ(inverted.clipboard, Lines({Path("empty.txt"), Path("zero.txt"), Path("sub\\d.txt"),
                                         Path("sub\\needle.txt")}))
        << "b.txt holds no needle but cannot be read";

    Outcome empty = Search(install, "/#r=\"Empty\" /#e1 " + Target());
    EXPECT_EQ(empty.clipboard, Lines({Path("empty.txt")})) << "an empty file is an empty subject";
}

TEST_F(ContentSearch, ANamedFilterDecidesWhichFilesAreOpenedAtAll) {
    WriteBytes(Path("other.log"), "no pin here");
    WriteBytes(Path("plain.log"), "no pin either");
    LockedFile locked(Path("other.log"));
    ASSERT_TRUE(locked.locked());
    KorvalInstall install(Settings("Needle\r\n>*needle\r\nNoNeedle\r\n>$*needle\r\n"));
    install.CopyRegexpLibrary();

    Outcome matched = Search(install, "/#f=\"Text\" /#r=\"Needle\" /#e1 " + Target());
    EXPECT_EQ(matched.clipboard, Lines({Path("a.txt"), Path("early.txt")})) << "c.log holds the needle too";

    // Inverted, plain.log would pass if it were searched.
    Outcome inverted = Search(install, "/#f=\"Text\" /#r=\"NoNeedle\" /#e1 " + Target());
    EXPECT_EQ(inverted.clipboard, Lines({Path("b.txt"), Path("empty.txt"), Path("zero.txt"), Path("sub\\d.txt"),
                                         Path("sub\\needle.txt")}));

    Outcome pattern = Search(install, "/#f=\".log\" /#r=\"NoNeedle\" /#e1 " + Target());
    EXPECT_EQ(pattern.clipboard, Path("plain.log")) << "c.log holds the needle and other.log cannot be read";
}

TEST_F(ContentSearch, WithoutTheLibraryTheUserIsToldAndNothingRuns) {
    KorvalInstall install(Settings("Needle\r\n>*needle\r\n"));
    Outcome outcome = Search(install, "/#r=\"Needle\" /#e1 " + Target());
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].title, "Korval");
    EXPECT_EQ(outcome.boxes[0].text, "正規表現検索ができません！");
    EXPECT_EQ(outcome.clipboard, kUntouched);
    EXPECT_TRUE(outcome.ended);
}
