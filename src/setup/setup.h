// KorvalSetup: adds Korval to the current user's Send To menu and removes it again.
#pragma once

#include <windows.h>

#include "common/tables.h"

// What the command line asks for.
enum class SetupAction { Ask, Install, Uninstall, Invalid };

struct SetupRequest {
    SetupAction action;
    int withEntries;  // "/entries": one shortcut per [filter] and [regexp] entry as well
    int quiet;        // "/quiet": no message boxes; the exit code is the only report
};

// Exit codes of KorvalSetup.exe.
constexpr int kSetupDone = 0;
constexpr int kSetupFailed = 1;
constexpr int kSetupUsage = 2;

// File names inside the program folder and the Send To folder.
constexpr char kProgramFileName[] = "Korval.exe";
constexpr char kSettingsFileName[] = "Korval.ini";
constexpr char kMainShortcutName[] = "Korval.lnk";
constexpr char kEntryFolderName[] = "Korval フィルタ";
constexpr char kShortcutExtension[] = ".lnk";

// A shortcut name cut from a label keeps at most this many bytes, so that the Send To folder,
// the entry folder, a " (nn)" suffix and ".lnk" still fit a path.
constexpr int kMaxShortcutBaseBytes = 100;
static_assert(kMaxShortcutBaseBytes + 16 < kPathBytes, "a shortcut name leaves room for its folders");

// Every shortcut that the entry tables can give: one per [filter] and [regexp] row.
constexpr int kMaxEntryShortcuts = 2 * kMaxEntries;

struct EntryShortcut {
    char fileName[kPathBytes];   // the shortcut's file name with ".lnk", no folder
    char arguments[kRowBytes];   // /#f="label" or /#r="label"
    char label[kPathBytes];
};

// Reads the switches "/install", "/uninstall", "/entries" and "/quiet" (any case, any order).
// No switch at all asks the user; an unknown word, or both actions, is Invalid.
SetupRequest ParseSetupCommandLine(const char* text);

// Turns a label into a shortcut file name with ".lnk": characters that no file name may hold
// become "_" (the trail byte of a double-byte character is never taken for one), a name that
// the system reserves for a device gets a leading "_", and the label is cut to
// kMaxShortcutBaseBytes on a character boundary. `name` holds kPathBytes.
void MakeShortcutFileName(const char* label, char* name);

// The shortcuts for the FilterEntry and RegexpEntry tables as loaded, in table order, filters
// first. A label that Korval could not take back from "/#f=" or "/#r=" (fewer than 2 bytes,
// 259 bytes or more, a double quote inside) gets none, and neither does a label equal to an
// earlier one of the same table, since the lookup by name would find the earlier entry.
// Names that would meet in one folder (the file system ignores case) get " (2)", " (3)"...
// Returns the number of shortcuts written to `shortcuts` (room for kMaxEntryShortcuts).
int PlanEntryShortcuts(EntryShortcut* shortcuts);

// The Send To folder of the current user, created when `create` is set. Returns 1 when found.
int SendToFolder(char* folder, int create);

// Writes (or replaces) the shortcut `linkPath` that starts `target` with `arguments` in
// `workingFolder`. Returns 1 on success.
int WriteShortcut(const char* linkPath, const char* target, const char* arguments,
                  const char* workingFolder, const char* description);

// Deletes every shortcut file in `folder` and then the folder itself when it is empty.
// Returns 1 when no shortcut is left behind (also when the folder does not exist).
int RemoveShortcutFolder(const char* folder);
