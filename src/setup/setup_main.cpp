// The entry point of KorvalSetup.exe: reads its switches, changes the Send To menu and reports.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include "settings/settings.h"
#include "setup/setup.h"

namespace {

constexpr char kTitle[] = "Korval";
constexpr char kAskText[] =
    "Korval を「送る」メニューに登録します。\r\n\r\n"
    "フィルタごとのショートカットも「Korval フィルタ」フォルダに作りますか？";
constexpr char kInstalledText[] = "「送る」メニューに Korval を登録しました。";
constexpr char kInstalledEntriesText[] = "「送る」メニューに Korval と、フィルタのショートカット %d 個を登録しました。";
constexpr char kUninstalledText[] = "「送る」メニューから Korval を削除しました。";
constexpr char kNoProgramText[] =
    "Korval.exe が見つかりません。\r\nKorvalSetup.exe は Korval.exe と同じフォルダに置いて実行してください。";
constexpr char kNoSendToText[] = "「送る」フォルダが見つかりません。";
constexpr char kNoSettingsText[] = "設定ファイル Korval.ini を読めません。";
constexpr char kWriteFailedText[] = "ショートカットを作成できませんでした。";
constexpr char kRemoveFailedText[] = "ショートカットを削除できませんでした。";
constexpr char kUsageText[] =
    "使い方\r\n\r\n"
    "KorvalSetup.exe /install [/entries] [/quiet]\r\n"
    "    「送る」メニューに Korval を登録します。/entries でフィルタごとのショートカットも作ります。\r\n"
    "KorvalSetup.exe /uninstall [/quiet]\r\n"
    "    登録したものをすべて削除します。";

constexpr int kMessageBytes = 520;

// Where everything lives; all paths without a trailing backslash except programFolder.
struct SetupPaths {
    char programFolder[kPathBytes];  // ends with a backslash, as the settings reader expects
    char workingFolder[kPathBytes];
    char program[kPathBytes];
    char settings[kPathBytes];
    char sendTo[kPathBytes];
    char mainShortcut[kPathBytes];
    char entryFolder[kPathBytes];
};

// Keeps COM initialised for the thread while the shortcuts are written.
struct ComSession {
    HRESULT state = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComSession() {
        if (SUCCEEDED(state)) CoUninitialize();
    }
};

int Report(const SetupRequest& request, const char* text, UINT icon, int code) {
    if (!request.quiet) MessageBoxA(nullptr, text, kTitle, MB_OK | icon);
    return code;
}

int Fail(const SetupRequest& request, const char* text) {
    return Report(request, text, MB_ICONEXCLAMATION, kSetupFailed);
}

bool FindProgramPaths(SetupPaths* paths) {
    char own[kPathBytes];
    DWORD length = GetModuleFileNameA(nullptr, own, kPathBytes);
    if (length == 0 || length >= kPathBytes) return false;
    lstrcpyA(paths->workingFolder, own);
    PathRemoveFileSpecA(paths->workingFolder);
    lstrcpyA(paths->programFolder, paths->workingFolder);
    return PathAddBackslashA(paths->programFolder) != nullptr &&
           PathCombineA(paths->program, paths->workingFolder, kProgramFileName) != nullptr &&
           PathCombineA(paths->settings, paths->workingFolder, kSettingsFileName) != nullptr;
}

bool FindSendToPaths(SetupPaths* paths, int create) {
    return SendToFolder(paths->sendTo, create) &&
           PathCombineA(paths->mainShortcut, paths->sendTo, kMainShortcutName) != nullptr &&
           PathCombineA(paths->entryFolder, paths->sendTo, kEntryFolderName) != nullptr;
}

bool SettingsReadable(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Reads the settings beside the program the way Korval does, so that the labels are exactly
// the names Korval looks up.
bool LoadProgramSettings(const SetupPaths& paths) {
    if (!SettingsReadable(paths.settings)) return false;
    lstrcpyA(ProgramFolder, paths.programFolder);
    lstrcpyA(DefaultSettingsName, kSettingsFileName);
    lstrcpyA(SettingsPath, paths.settings);
    return LoadSettings(nullptr) == 1;
}

// Replaces the entry folder's shortcuts by one per entry; returns the number written, or -1.
int WriteEntryShortcuts(const SetupPaths& paths) {
    static EntryShortcut shortcuts[kMaxEntryShortcuts];
    int count = PlanEntryShortcuts(shortcuts);
    if (!RemoveShortcutFolder(paths.entryFolder)) return -1;
    if (count == 0) return 0;
    if (!CreateDirectoryA(paths.entryFolder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return -1;
    for (int i = 0; i < count; ++i) {
        char link[MAX_PATH];
        if (!PathCombineA(link, paths.entryFolder, shortcuts[i].fileName) ||
            !WriteShortcut(link, paths.program, shortcuts[i].arguments, paths.workingFolder, shortcuts[i].label)) {
            return -1;
        }
    }
    return count;
}

int Install(const SetupRequest& request) {
    SetupPaths paths;
    if (!FindProgramPaths(&paths) || !PathFileExistsA(paths.program) || PathIsDirectoryA(paths.program)) {
        return Fail(request, kNoProgramText);
    }
    if (request.withEntries && !LoadProgramSettings(paths)) return Fail(request, kNoSettingsText);
    if (!FindSendToPaths(&paths, 1)) return Fail(request, kNoSendToText);
    ComSession com;
    if (FAILED(com.state) ||
        !WriteShortcut(paths.mainShortcut, paths.program, "", paths.workingFolder, kTitle)) {
        return Fail(request, kWriteFailedText);
    }
    if (!request.withEntries) {
        if (!RemoveShortcutFolder(paths.entryFolder)) return Fail(request, kRemoveFailedText);
        return Report(request, kInstalledText, MB_ICONINFORMATION, kSetupDone);
    }
    int written = WriteEntryShortcuts(paths);
    if (written < 0) return Fail(request, kWriteFailedText);
    char text[kMessageBytes];
    wsprintfA(text, kInstalledEntriesText, written);
    return Report(request, text, MB_ICONINFORMATION, kSetupDone);
}

int Uninstall(const SetupRequest& request) {
    SetupPaths paths;
    // Without a Send To folder there is nothing of ours to remove.
    if (!FindSendToPaths(&paths, 0)) return Report(request, kUninstalledText, MB_ICONINFORMATION, kSetupDone);
    bool removed = (!PathFileExistsA(paths.mainShortcut) || DeleteFileA(paths.mainShortcut)) &&
                   RemoveShortcutFolder(paths.entryFolder);
    if (!removed) return Fail(request, kRemoveFailedText);
    return Report(request, kUninstalledText, MB_ICONINFORMATION, kSetupDone);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    SetupRequest request = ParseSetupCommandLine(commandLine);
    switch (request.action) {
        case SetupAction::Invalid:
            return Report(request, kUsageText, MB_ICONINFORMATION, kSetupUsage);
        case SetupAction::Ask:
            switch (MessageBoxA(nullptr, kAskText, kTitle, MB_YESNOCANCEL | MB_ICONQUESTION)) {
                case IDYES:
                    request.withEntries = 1;
                    return Install(request);
                case IDNO:
                    request.withEntries = 0;
                    return Install(request);
                default:
                    return kSetupDone;
            }
        case SetupAction::Install:
            return Install(request);
        case SetupAction::Uninstall:
            return Uninstall(request);
    }
    return kSetupUsage;
}
