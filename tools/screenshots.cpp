// Takes the pictures of Korval's windows for docs/: the real program on the demo tree with the
// sample settings, at each display scale asked for, each window cut out of the screen as a BMP file.
//   screenshots.exe <sample settings> <demo tree> <output folder> <dpi>...
// Writes <output folder>\<window>-<percent>.bmp for the popup menu, the option dialog, the
// progress window and the version box. Wine reads the scale when a program starts: each Korval
// started here sees the DPI set for it, and the value found before is put back at the end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "support/wine_test.h"
#include "ui/menu_parts.h"

using namespace korval_test;

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kScaleValue[] = "LogPixels";
constexpr int kDemoRepeats = 400;    // the demo tree given this often makes a run long enough to be seen
constexpr int kLeastCounted = 2000;  // the progress window is taken once it shows this many files

std::string Folder;
int Failures = 0;

void Fail(const std::string& what) {
    std::fprintf(stderr, "screenshots: %s\n%s\n", what.c_str(), ScreenReport().c_str());
    ++Failures;
}

// The screen inside `window`'s frame, once two reads in a row agree: the window has painted.
// Saved as a top-down 32-bit BMP, which tools/screenshots turns into a PNG.
void Save(HWND window, const std::string& name, int dpi) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    std::vector<COLORREF> last, shot;
    WaitUntil(kWindowDeadline, [&] {
        shot = ScreenPixels(frame);
        const bool settled = shot == last;
        last = shot;
        return settled;
    });
    std::string pixels;
    for (COLORREF pixel : shot) {
        const char bgrx[] = {static_cast<char>(GetBValue(pixel)), static_cast<char>(GetGValue(pixel)),
                             static_cast<char>(GetRValue(pixel)), 0};
        pixels.append(bgrx, sizeof bgrx);
    }
    const BITMAPINFOHEADER info = {sizeof info, frame.right - frame.left, frame.top - frame.bottom, 1, 32, BI_RGB,
                                   0, 0, 0, 0, 0};
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    WriteBytes(Folder + "\\" + name + "-" + std::to_string(dpi * 100 / 96) + ".bmp",
               std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                   std::string(reinterpret_cast<const char*>(&info), sizeof info) + pixels);
}

void TakeMenu(const KorvalInstall& install, const std::string& tree, int dpi) {
    KorvalProcess run(install.exe(), "\"" + tree + "\"", install.folder());
    HWND menu = WaitForPopupMenu();
    if (menu == nullptr || !WaitForFirstItemHighlighted(menu)) return Fail("no popup menu");
    Save(menu, "menu", dpi);
    TapKey(VK_ESCAPE);
    run.ExpectEnd();
}

void TakeOptionDialog(const KorvalInstall& install, const std::string& tree, int dpi) {
    KorvalProcess run(install.exe(), "/#k=ctl \"" + tree + "\"", install.folder());
    std::optional<FoundWindow> dialog = WaitForDialog(run.id());
    if (!dialog || !dialog->optionDialog) return Fail("no option dialog");
    Save(dialog->window, "option-dialog", dpi);
    PressButton(dialog->window, kCancelButtonId);
    run.ExpectEnd();
}

// A run over the demo tree given many times, stopped while its window counts: stopped, it keeps
// its picture. Ending the test of a stopped program takes it away.
void TakeProgressWindow(const KorvalInstall& install, const std::string& tree, int dpi) {
    std::string arguments = "/#f=\"文書\" /#e1";
    for (int i = 0; i < kDemoRepeats; ++i) arguments += " \"" + tree + "\"";
    KorvalProcess run(install.exe(), arguments, install.folder());
    HWND window = WaitForProgressWindow(run);
    if (window == nullptr || !WaitUntil(kWindowDeadline, [&] { return ProgressCount(window) >= kLeastCounted; })) {
        return Fail("no progress window that counts");
    }
    auto suspend = reinterpret_cast<LONG(WINAPI*)(HANDLE)>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSuspendProcess")));
    HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, run.id());
    if (suspend == nullptr || process == nullptr || suspend(process) != 0 || !IsWindow(window)) {
        if (process != nullptr) CloseHandle(process);
        return Fail("the run could not be stopped while its window was up");
    }
    CloseHandle(process);
    Save(window, "progress", dpi);
}

// The version box, from the menu of fixed items that a start without targets shows.
void TakeMessageBox(const KorvalInstall& install, int dpi) {
    KorvalProcess run(install.exe(), "", install.folder());
    HWND menu = WaitForPopupMenu();
    if (menu == nullptr || !WaitForFirstItemHighlighted(menu)) return Fail("no menu of fixed items");
    TapKey('V');
    std::optional<FoundWindow> box = WaitForDialog(run.id());
    if (!box || box->optionDialog) return Fail("no version box");
    Save(box->window, "message-box", dpi);
    PressButton(box->window, IDOK);
    run.ExpectEnd();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: screenshots.exe <sample settings> <demo tree> <output folder> <dpi>...\n");
        return 2;
    }
    std::optional<std::string> sample = ReadBytes(argv[1]);
    if (!sample) {
        std::fprintf(stderr, "screenshots: cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string tree = argv[2];
    Folder = argv[3];
    // The sample leaves the progress window off; the run that shows it turns it on.
    std::string withBar = *sample;
    size_t bar = withBar.find("\r\n;@bar\r\n");
    if (bar != std::string::npos) withBar.erase(bar + 2, 1);

    HKEY desktop = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &desktop, nullptr);
    DWORD before = 0, size = sizeof before;
    bool hadScale = RegQueryValueExA(desktop, kScaleValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&before), &size) ==
                    ERROR_SUCCESS;
    ParkPointer();
    for (int i = 4; i < argc; ++i) {
        DWORD dpi = static_cast<DWORD>(std::atoi(argv[i]));
        RegSetValueExA(desktop, kScaleValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        KorvalInstall install(*sample), barInstall(withBar);
        TakeMenu(install, tree, static_cast<int>(dpi));
        TakeOptionDialog(install, tree, static_cast<int>(dpi));
        TakeProgressWindow(barInstall, tree, static_cast<int>(dpi));
        TakeMessageBox(install, static_cast<int>(dpi));
    }
    if (hadScale) {
        RegSetValueExA(desktop, kScaleValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before), sizeof before);
    } else {
        RegDeleteValueA(desktop, kScaleValue);
    }
    RegCloseKey(desktop);
    return Failures == 0 ? 0 : 1;
}
