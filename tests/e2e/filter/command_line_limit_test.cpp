// The longest list a started program takes on its command line, counted in UTF-16 units: the last
// list that fits starts the program with every path, one unit more goes whole to the clipboard.
#include <windows.h>
#include <shellapi.h>

#include "support/wine_test.h"

using namespace korval_test;

namespace {

constexpr size_t kCommandLineUnits = 32767;  // the platform's limit, terminator included
constexpr size_t kLastPathMost = 250;         // short enough for a table row in bytes
// 80 double-byte characters make a name of 87 units but 167 bytes, so the list is well over the
// limit in bytes while it fits in units.
const std::wstring kDoubleBytes(80, L'\u8868');

}  // namespace

TEST(CommandLineLimit, TheLastListThatFitsStartsTheProgramAndOneUnitMoreGoesToTheClipboard) {
    for (int extra : {0, 1}) {
        TempDir tree;
        KorvalInstall install("");
        const std::string recorder = install.InstallRecorder();
        WriteBytes(install.settingsPath(), "[system]\r\n@sub\r\n%end\r\n[filter]\r\nAll | Rec\r\n>.txt\r\n%end\r\n"
                                           "[exec]\r\n" + recorder + " | Rec\r\n>-x\r\n%end\r\n");
        const std::wstring folder = Widen(tree.path()) + L"\\";
        // The quoted program, a blank, "-x" and the terminator, then every path behind a blank: long
        // paths until the last one takes what is left of the limit.
        std::vector<std::wstring> paths;
        size_t used = recorder.size() + 3 + 2 + 1;
        while (kCommandLineUnits - used - 1 > kLastPathMost) {
            paths.push_back(folder + kDoubleBytes + std::to_wstring(100 + paths.size()) + L".txt");
            used += 1 + paths.back().size();
        }
        size_t last = kCommandLineUnits - used - 1 + extra;
        ASSERT_GT(last, folder.size() + 8);
        paths.push_back(folder + std::wstring(last - folder.size() - 4, L'z') + L".txt");
        for (const std::wstring& path : paths) {
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << Narrow(path);
            CloseHandle(file);
        }
        SetClipboardText("untouched");
        KorvalProcess process(install.exe(), "/#f=\"All\" " + Quoted(tree.path()), install.folder());
        ASSERT_EQ(process.ExpectEnd().value_or(99), 0u) << extra;
        std::vector<std::string> delivered;
        if (extra == 0) {
            int count = 0;
            LPWSTR* arguments = CommandLineToArgvW(install.RecordedWideCommandLine().value_or(L"").c_str(), &count);
            for (int i = 2; i < count; ++i) delivered.push_back(Ansi(arguments[i]));
            LocalFree(arguments);
            EXPECT_EQ(ClipboardText().value_or(""), "untouched");
        } else {
            delivered = SplitLines(ClipboardText().value_or(""));
            EXPECT_FALSE(install.RecorderStarted()) << "the program started";
        }
        std::vector<std::string> expected;
        for (const std::wstring& path : paths) expected.push_back(Ansi(path));
        std::sort(delivered.begin(), delivered.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(delivered, expected) << (extra ? "the list on the clipboard" : "the program's arguments");
    }
}
