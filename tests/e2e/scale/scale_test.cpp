// Korval at 100, 150 and 200 % display scale: the manifest it carries, common controls 6 in the
// running program, and its option dialog, progress window and explicit menu place to scale.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/app.h"
#include "support/wine_test.h"
#include "ui/menu_parts.h"
#include "ui/progress_parts.h"
#include "ui/ui.h"

using namespace korval_test;

namespace {

// Programs started while it lives draw at `dpi`: Wine reads the scale when a program starts, as
// Windows does at sign-in. Whatever was set before comes back afterwards.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~DisplayScale() {
        if (had_) {
            RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        } else {
            RegDeleteValueA(key_, kValue);
        }
        RegCloseKey(key_);
    }
    DisplayScale(const DisplayScale&) = delete;
    DisplayScale& operator=(const DisplayScale&) = delete;

private:
    static constexpr char kValue[] = "LogPixels";
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

template <typename Function>
Function Lookup(const char* module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(module), name)));
}

// `value`, given at 96 DPI, at `dpi` exactly; a placed edge is within one pixel of it.
double At(int value, int dpi) {
    return value * dpi / 96.0;
}

// Each edge of `rect` against the layout's at `dpi`; empty when all are within one pixel.
std::string Misplaced(const std::string& what, const RECT& rect, int x, int y, int width, int height, int dpi) {
    const double expected[] = {At(x, dpi), At(y, dpi), At(x + width, dpi), At(y + height, dpi)};
    const LONG actual[] = {rect.left, rect.top, rect.right, rect.bottom};
    for (int i = 0; i < 4; ++i) {
        if (std::fabs(actual[i] - expected[i]) > 1) {
            return what + " at " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                   std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "; ";
        }
    }
    return "";
}

// The client area that a window of the layout's size at `dpi` leaves inside the frame of `window`'s
// style drawn at `dpi`, against the one it has.
std::string ClientMisfit(HWND window, int width, int height, int dpi) {
    RECT frame = {0, 0, 0, 0}, client;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    auto adjustForDpi = Lookup<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("user32.dll", "AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    GetClientRect(window, &client);
    RECT expected = {0, 0, 0, 0};
    expected.right = static_cast<LONG>(std::lround(At(width, dpi))) - (frame.right - frame.left);
    expected.bottom = static_cast<LONG>(std::lround(At(height, dpi))) - (frame.bottom - frame.top);
    if (std::abs(client.right - expected.right) <= 1 && std::abs(client.bottom - expected.bottom) <= 1) return "";
    return "client " + std::to_string(client.right) + "x" + std::to_string(client.bottom) + " for " +
           std::to_string(expected.right) + "x" + std::to_string(expected.bottom) + "; ";
}

// Every control of `layouts` on `window` in its place; the text of each that takes a font no wider
// than the control, in the font Korval makes at `dpi` (an ampersand marks a mnemonic).
std::string Misfits(HWND window, const ControlLayout* layouts, int count, int fontHeight, int dpi) {
    std::string found;
    HDC screen = GetDC(nullptr);
    HFONT font = CreateUiFont(kUiFontFace, MulDiv(fontHeight, dpi, 96));
    HGDIOBJ previous = SelectObject(screen, font);
    for (int i = 0; i < count; ++i) {
        const ControlLayout& layout = layouts[i];
        HWND control = GetDlgItem(window, layout.id);
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
        found += Misplaced("control " + std::to_string(layout.id), rect, layout.x, layout.y, layout.width,
                           layout.height, dpi);
        std::string text = WindowText(control);
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        SIZE extent = {};
        GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
        if (extent.cx > rect.right - rect.left) found += text + " wider than its control; ";
    }
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return found;
}

// Whether process `processId` has loaded the common controls from their version 6 assembly.
bool UsesCommonControls6(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &module); more && !found; more = Module32Next(snapshot, &module)) {
        std::string path = module.szExePath;
        std::transform(path.begin(), path.end(), path.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        found = path.find("microsoft.windows.common-controls_") != std::string::npos &&
                path.find("_6.0.") != std::string::npos && path.find("\\comctl32.dll") != std::string::npos;
    }
    CloseHandle(snapshot);
    return found;
}

bool RunsUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Stops every thread of the process, so that a window it would soon close stays to be measured.
void Suspend(DWORD processId) {
    auto suspend = Lookup<LONG(WINAPI*)(HANDLE)>("ntdll.dll", "NtSuspendProcess");
    HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, processId);
    if (suspend != nullptr && process != nullptr) suspend(process);
    if (process != nullptr) CloseHandle(process);
}

}  // namespace

// What Korval.exe declares, read back from its manifest resource.
TEST(DisplayScale, TheManifestDeclaresSystemsControlsScaleAndLongPathsButNoCodePage) {
    HMODULE exe = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr) << "no manifest of id 1";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                               SizeofResource(exe, found));
    const char* const declared[] = {
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // Windows 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // Windows 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // Windows 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // Windows 10 and 11
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor, "
        "System</dpiAwareness>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
        "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
        "<requestedExecutionLevel level=\"asInvoker\"",
    };
    for (const char* declaration : declared) EXPECT_NE(manifest.find(declaration), std::string::npos) << declaration;
    EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos) << "the system code page must stay";
    FreeLibrary(exe);
}

// Moved to a monitor of another scale, the option dialog lays itself out again at the corner the
// system suggests, with its font at the new scale. Wine has one scale for all monitors and never
// sends the message, so the test sends it, to the dialog on Korval's template in this process.
TEST(DisplayScale, TheOptionDialogLaysItselfOutAgainOnAMonitorOfAnotherScale) {
    Instance = GetModuleHandleA(nullptr);
    MenuPlacement = {PlacementMode::Center, 0, 0};
    HMODULE resources = LoadLibraryExA((BinFolder() + "Korval.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamA(resources, "OPTION", nullptr, OptionDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    for (int dpi : {144, 192, 96}) {
        RECT suggested = {dpi, 2 * dpi, 3 * dpi, 4 * dpi}, frame;
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(dialog, &frame);
        OffsetRect(&frame, -suggested.left, -suggested.top);
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, kScopeLabelId, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_EQ(Misplaced("dialog", frame, 0, 0, kDialogWidth, kDialogHeight, dpi) +
                      Misfits(dialog, kDialogControls, kDialogControlCount, kDialogFontHeight, dpi) + "font " +
                      std::to_string(font.lfHeight),
                  "font " + std::to_string(MulDiv(kDialogFontHeight, dpi, 96)))
            << "at " << dpi << " DPI";
    }
    DestroyWindow(dialog);
}

// At each scale: the option dialog, opened by the switch at the screen centre, with every scope
// text in turn, and at the screen's edge; the menu at the place the settings give; the progress window of a long run,
// stopped to be measured, centred where the dialog's corner showed the centre to be. Windows reads
// the scale only at sign-in, so there only the current one is tried.
TEST(DisplayScale, WindowsControlsAndTheMenuPlaceAreToScale) {
    TempDir tree;
    std::vector<std::string> names = {"big\\hit.txt"};
    for (int i = 0; i < 400; ++i) names.push_back("big\\f" + std::to_string(i) + ".dat");
    MakeTree(tree.path(), names);
    const std::string folder = " \"" + tree / "big" + "\"";
    std::string longRun = "/#f=\"Text\" /#e1";
    for (int i = 0; i < 100; ++i) longRun += folder;
    auto settings = [](const std::string& system) {
        return "[system]\r\n" + system + "\r\n%end\r\n[filter]\r\nText\r\n>.txt\r\n%end\r\n";
    };

    for (int dpi : {96, 144, 192}) {
        HDC screen = GetDC(nullptr);
        const int current = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        if (!RunsUnderWine() && dpi != current) continue;
        DisplayScale scale(static_cast<DWORD>(dpi));
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        KorvalInstall install(settings("@menu=center"));

        KorvalProcess dialogRun(install.exe(), "/#k=ctl" + folder, install.folder());
        auto dialog = WaitForDialog(dialogRun.id());
        ASSERT_TRUE(dialog && dialog->optionDialog) << "no option dialog\n" << ScreenReport();
        RECT frame;
        GetWindowRect(dialog->window, &frame);
        const POINT centre = {frame.left, frame.top};
        EXPECT_EQ(centre.x, GetSystemMetrics(SM_CXSCREEN) / 2);
        OffsetRect(&frame, -centre.x, -centre.y);
        std::string found = Misplaced("dialog", frame, 0, 0, kDialogWidth, kDialogHeight, dpi) +
                            ClientMisfit(dialog->window, kDialogWidth, kDialogHeight, dpi);
        // The opening scope text, then the three others of the double-click cycle.
        for (int click = 0; click < 4; ++click) {
            const std::string shown = WindowText(GetDlgItem(dialog->window, kScopeLabelId));
            found += Misfits(dialog->window, kDialogControls, kDialogControlCount, kDialogFontHeight, dpi);
            PostMessageA(dialog->window, WM_LBUTTONDBLCLK, 0, 0);
            EXPECT_TRUE(WaitUntil(kWindowDeadline, [&] {
                return WindowText(GetDlgItem(dialog->window, kScopeLabelId)) != shown;
            })) << "the scope stayed " << shown;
        }
        EXPECT_TRUE(UsesCommonControls6(dialogRun.id())) << "common controls 6 not loaded";
        PressButton(dialog->window, kCancelButtonId);
        ASSERT_TRUE(dialogRun.ExpectEnd().has_value());

        // MAX is the screen's edge, which no scale moves; a number beside it is a 96-DPI position.
        WriteBytes(install.settingsPath(), settings("@menu=MAX,100"));
        KorvalProcess edgeRun(install.exe(), "/#k=ctl" + folder, install.folder());
        auto atEdge = WaitForDialog(edgeRun.id());
        ASSERT_TRUE(atEdge && atEdge->optionDialog) << "no option dialog\n" << ScreenReport();
        GetWindowRect(atEdge->window, &frame);
        EXPECT_EQ(std::vector<LONG>({frame.left, frame.top}),
                  std::vector<LONG>({GetSystemMetrics(SM_CXSCREEN), 100 * dpi / 96}));
        PressButton(atEdge->window, kCancelButtonId);
        ASSERT_TRUE(edgeRun.ExpectEnd().has_value());

        WriteBytes(install.settingsPath(), settings("@menu=100,100"));
        KorvalProcess menuRun(install.exe(), folder.substr(1), install.folder());
        HWND menu = WaitForPopupMenu();
        ASSERT_NE(menu, nullptr) << "no menu\n" << ScreenReport();
        RECT place;
        GetWindowRect(menu, &place);
        EXPECT_EQ(std::vector<LONG>({place.left, place.top}), std::vector<LONG>({100 * dpi / 96, 100 * dpi / 96}));
        TapKey(VK_ESCAPE);
        ASSERT_TRUE(menuRun.ExpectEnd().has_value());

        WriteBytes(install.settingsPath(), settings("@sub\r\n@bar"));
        KorvalProcess progressRun(install.exe(), longRun, install.folder());
        HWND window = WaitForProgressWindow(progressRun);
        ASSERT_NE(window, nullptr) << "no progress window\n" << ScreenReport();
        Suspend(progressRun.id());
        ASSERT_TRUE(IsWindow(window)) << "the run ended before it could be stopped";
        GetWindowRect(window, &frame);
        OffsetRect(&frame, -centre.x, -centre.y);
        found += Misplaced("progress window", frame, -kProgressLeftOfCentre, -kProgressAboveCentre, kProgressWidth,
                           kProgressHeight, dpi) +
                 ClientMisfit(window, kProgressWidth, kProgressHeight, dpi) +
                 Misfits(window, kProgressControls, kProgressControlCount, kProgressFontHeight, dpi);
        EXPECT_EQ(found, "");
    }
}
