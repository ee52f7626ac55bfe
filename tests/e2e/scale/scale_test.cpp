// Korval at 150 and 200 % display scale: common controls 6 in the running program, as its manifest
// asks, and its option dialog, progress window and explicit menu place to scale.
#include "support/wine_test.h"

#include <tlhelp32.h>

#include <cmath>

#include "ui/scale.h"

namespace {

// Programs started while it lives draw at `dpi`: Wine reads the scale when a program starts, as
// Windows does at sign-in. Whatever was set before comes back afterwards.
struct DisplayScale {
    explicit DisplayScale(DWORD dpi) {
        DWORD size = sizeof before;
        RegGetValueA(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &before, &size);
        Set(dpi);
    }
    ~DisplayScale() { Set(before); }
    static void Set(DWORD dpi) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof dpi);
    }
    static constexpr char kKey[] = "Control Panel\\Desktop", kValue[] = "LogPixels";
    DWORD before = kDefaultDpi;  // what an unset value means
};

// What of `window` and the controls of `layouts` on it lies off (by more than the pixel that the scale
// rounds) where a layout given at 96 DPI lands at `dpi`: the window as `own` from `origin`, each
// control from the window's client corner. Empty when nothing does.
std::string Misplaced(HWND window, POINT origin, const ControlLayout& own, const ControlLayout* layouts, int count,
                      int dpi) {
    std::string found;
    const double scale = dpi / double{kDefaultDpi};
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    for (int i = -1; i < count; ++i) {
        const ControlLayout& layout = i < 0 ? own : layouts[i];
        const POINT from = i < 0 ? origin : client;
        RECT rect = {};
        GetWindowRect(i < 0 ? window : GetDlgItem(window, layout.id), &rect);
        const LONG actual[] = {rect.left - from.x, rect.top - from.y, rect.right - from.x, rect.bottom - from.y};
        const int expected[] = {layout.x, layout.y, layout.x + layout.width, layout.y + layout.height};
        bool off = false;
        for (int edge = 0; edge < 4; ++edge) off = off || std::fabs(actual[edge] - expected[edge] * scale) > 1;
        if (off) found += "#" + std::to_string(layout.id) + " at " + ::testing::PrintToString(actual) + "; ";
    }
    return found;
}

// Whether process `processId` has loaded the common controls from their version 6 assembly.
bool UsesCommonControls6(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &module); more && !found; more = Module32Next(snapshot, &module)) {
        const std::string path = CharLowerA(module.szExePath);
        found = path.find("microsoft.windows.common-controls_") != std::string::npos &&
                path.find("_6.0.") != std::string::npos && path.find("\\comctl32.dll") != std::string::npos;
    }
    CloseHandle(snapshot);
    return found;
}

// The option dialog's own place and size, from its top-left corner.
constexpr ControlLayout kDialogLayout = {nullptr, 0, 0, 0, kDialogWidth, kDialogHeight, 0};

// Stops every thread of the process, so that a window it would soon close stays to be measured.
void Suspend(DWORD processId) {
    auto suspend = reinterpret_cast<LONG(WINAPI*)(HANDLE)>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSuspendProcess")));
    HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, processId);
    if (suspend != nullptr && process != nullptr) suspend(process);
    if (process != nullptr) CloseHandle(process);
}

}  // namespace

// Moved to a monitor of another scale, the option dialog lays itself out again at the corner the
// system suggests, with its font at the new scale. Wine has one scale for all monitors and never
// sends the message, so the test sends it, to the dialog on Korval's template in this process.
TEST(DisplayScale, TheOptionDialogLaysItselfOutAgainOnAMonitorOfAnotherScale) {
    Instance = GetModuleHandleA(nullptr);
    HMODULE resources = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamA(resources, "OPTION", nullptr, OptionDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    for (int dpi : {144, 192, 96}) {
        RECT suggested = {dpi, 2 * dpi, 3 * dpi, 4 * dpi};
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, kScopeLabelId, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        const POINT corner = {suggested.left, suggested.top};
        EXPECT_EQ(Misplaced(dialog, corner, kDialogLayout, kDialogControls, kDialogControlCount, dpi) + "font " +
                      std::to_string(font.lfHeight),
                  "font " + std::to_string(ScaleTo(kDialogFontHeight, dpi)))
            << "at " << dpi << " DPI";
    }
    DestroyWindow(dialog);
}

// At 150 and 200 %: the option dialog, opened by the switch with its corner at the screen centre,
// with common controls 6 loaded; on OK, the progress window of a long run, stopped to be measured,
// centred where the dialog's corner showed the centre to be; and the dialog at "@menu=MAX,100", where MAX is the
// screen's edge, which no scale moves, and the number a 96-DPI position, placed as the menu is.
TEST(DisplayScale, WindowsControlsAndTheMenuPlaceAreToScale) {
    TempDir tree;
    std::vector<std::string> names = {"big\\hit.txt"};
    for (int i = 0; i < 400; ++i) names.push_back("big\\f" + std::to_string(i) + ".dat");
    MakeTree(tree.path(), names);
    const std::string folder = " \"" + tree / "big" + "\"";
    std::string longRun = "/#k=ctl /#f=\"Text\" /#e1";
    for (int i = 0; i < 100; ++i) longRun += folder;
    for (int dpi : {144, 192}) {
        DisplayScale scale(static_cast<DWORD>(dpi));
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        KorvalInstall install("[system]\r\n@menu=center\r\n@sub\r\n@bar\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n");
        KorvalProcess run(install.exe(), longRun, install.folder());
        auto dialog = WaitForDialog(run.id());
        ASSERT_TRUE(dialog && dialog->optionDialog) << "no option dialog\n" << ScreenReport();
        RECT frame;
        GetWindowRect(dialog->window, &frame);
        const POINT centre = {frame.left, frame.top};
        std::string found = Misplaced(dialog->window, centre, kDialogLayout, kDialogControls, kDialogControlCount, dpi);
        EXPECT_TRUE(UsesCommonControls6(run.id())) << "common controls 6 not loaded";
        PressButton(dialog->window, kOkButtonId);
        HWND window = WaitForProgressWindow(run);
        ASSERT_NE(window, nullptr) << "no progress window\n" << ScreenReport();
        Suspend(run.id());
        ASSERT_TRUE(IsWindow(window)) << "the run ended before it could be stopped";
        const ControlLayout own = {nullptr, 0, -kProgressLeftOfCentre, -kProgressAboveCentre, kProgressWidth,
                                   kProgressHeight, 0};
        EXPECT_EQ(found + Misplaced(window, centre, own, kProgressControls, kProgressControlCount, dpi), "");

        WriteBytes(install.settingsPath(), "[system]\r\n@menu=MAX,100\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n");
        KorvalProcess edgeRun(install.exe(), "/#k=ctl" + folder, install.folder());
        auto atEdge = WaitForDialog(edgeRun.id());
        ASSERT_TRUE(atEdge && atEdge->optionDialog) << "no option dialog\n" << ScreenReport();
        GetWindowRect(atEdge->window, &frame);
        EXPECT_EQ(std::vector<LONG>({frame.left, frame.top}),
                  std::vector<LONG>({GetSystemMetrics(SM_CXSCREEN), 100 * dpi / kDefaultDpi}));
        PressButton(atEdge->window, kCancelButtonId);
        ASSERT_TRUE(edgeRun.ExpectEnd().has_value());
    }
}
