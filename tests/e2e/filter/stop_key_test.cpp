// Esc during a long run of Korval.exe: the run ends at once, with nothing delivered, started or shown.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "support/progress.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

// A long run from a small tree: one folder of 400 files, given 500 times. Its filter's program is
// the recorder, so a run that goes on to its end starts it.
struct LongRun {
    explicit LongRun(const std::string& system) : install("") {
        std::vector<std::string> names = {"big\\hit.txt"};
        for (int i = 0; i < 400; ++i) names.push_back("big\\f" + std::to_string(i) + ".txt");
        MakeTree(tree.path(), names);
        std::string recorder = install.InstallRecorder();
        WriteBytes(install.settingsPath(), "[system]\r\n@sub\r\n" + system + "%end\r\n[filter]\r\nText | Rec\r\n>.txt\r\n"
                                           "%end\r\n[exec]\r\n" + recorder + " | Rec\r\n>-x\r\n%end\r\n");
        for (int i = 0; i < 500; ++i) targets += " \"" + tree / "big" + "\"";
        SetClipboardText("untouched");
    }

    // Holds Esc down: the process must be gone within a second, having delivered nothing.
    void ExpectStoppedByEsc(KorvalProcess& process, const char* name) const {
        KeyDown(VK_ESCAPE);
        std::optional<DWORD> code = process.Wait(1000);
        KeyUp(VK_ESCAPE);
        EXPECT_EQ(code.value_or(99), 0u) << name << ": still running a second after Esc";
        EXPECT_EQ(ClipboardText().value_or(""), "untouched") << name;
        EXPECT_FALSE(PathFileExistsA((install.folder() + "\\record.txt").c_str())) << name << ": the program started";
    }

    TempDir tree;
    KorvalInstall install;
    std::string targets;
};

// Waits until the progress window's count has been repainted `changes` times; false at the deadline.
bool WaitForRepaints(HWND window, int changes) {
    int last = ProgressCount(window);
    for (int i = 0; i < 3000 && changes > 0 && IsWindow(window); ++i, Sleep(5)) {
        int now = ProgressCount(window);
        if (now != last) --changes;
        last = now;
    }
    return changes == 0;
}

}  // namespace

// A plain pick from the menu starts the run; Esc held after the menu has gone ends it.
TEST(StopKey, EscEndsARunStartedFromTheMenu) {
    LongRun run("");
    KorvalProcess process(run.install.exe(), run.targets, run.install.folder());
    HWND menu = WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "the menu did not open";
    TapKey(VK_RETURN);
    for (int i = 0; i < 1000 && IsWindowVisible(menu); ++i) Sleep(10);
    ASSERT_FALSE(IsWindowVisible(menu)) << "the pick did not close the menu";
    run.ExpectStoppedByEsc(process, "a pick without @bar");
}

// Esc held since before the start does not stop the run, which goes on counting; once it has been
// let go, the next press stops the run.
TEST(StopKey, APressHeldSinceTheStartDoesNotCountButTheNextOneDoes) {
    LongRun run("@bar\r\n");
    KeyDown(VK_ESCAPE);
    KorvalProcess process(run.install.exe(), "/#f=\"Text\"" + run.targets, run.install.folder());
    HWND window = nullptr;
    for (int i = 0; i < 3000 && !(window = FindProgressWindow(process.id())) && !process.Wait(0); ++i) Sleep(10);
    bool counting = window != nullptr && WaitForRepaints(window, 3);
    KeyUp(VK_ESCAPE);
    ASSERT_TRUE(counting) << "the run did not go on while Esc was held from the start";
    // Two repaints after the release show that the run has looked at the key since.
    ASSERT_TRUE(WaitForRepaints(window, 2)) << "the run ended before Esc was pressed again";
    run.ExpectStoppedByEsc(process, "a new press with @bar");
}
