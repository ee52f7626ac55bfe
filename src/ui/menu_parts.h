// Pieces of the popup menu and the option dialog that the two share and that tests read back.
#pragma once

#include <windows.h>

#include "common/tables.h"
#include "ui/controls.h"

// Command identifiers of the popup menu's items.
constexpr UINT kFilterCommandFirst = 1000;   // + [filter] entry index
constexpr UINT kRegexpCommandFirst = 1020;   // + [regexp] entry index
constexpr UINT kPatternNoteCommand = 1099;
constexpr UINT kSeparatorCommand = 1100;
constexpr UINT kDropCommand = 1110;
constexpr UINT kSettingsFileCommand = 1120;
constexpr UINT kHelpCommand = 1130;
constexpr UINT kVersionCommand = 1140;

static_assert(kFilterCommandFirst + kMaxEntries <= kRegexpCommandFirst, "filter items stay below the regexp items");
static_assert(kRegexpCommandFirst + kMaxEntries <= kPatternNoteCommand, "regexp items stay below the pattern note");
static_assert(kPatternNoteCommand < kSeparatorCommand && kSeparatorCommand < kDropCommand,
              "every command that does nothing lies at or below the separators");

// Label prefixes of the entry items: 0 to 19 for [filter] entries, 20 to 39 for [regexp] entries.
constexpr int kPrefixCount = 40;
constexpr int kRegexpPrefixFirst = 20;
static_assert(kRegexpPrefixFirst == kMaxEntries && kPrefixCount == 2 * kMaxEntries,
              "one prefix for every row of the two tables");
extern const char AcceleratorPrefixes[kPrefixCount][5];

// Menu item texts are built in buffers of this size.
constexpr int kItemTextBytes = 520;

// Builds the popup menu for `fixedOnly` from the settings tables and the switch state. The caller
// owns the menu and destroys it.
HMENU BuildPopupMenu(int fixedOnly);

// Where a menu opens: MenuPosition and the TrackPopupMenu alignment flags that go with it.
struct MenuPlacementResult {
    ScreenPoint point;
    UINT alignment;
};

// The placement rule over its inputs: `foreground` is the rectangle of the window in front at
// start, or nullptr when there is none or it cannot be read; `mousePresent` is 0 without a mouse.
MenuPlacementResult ComputePlacement(const MenuPlacementRecord& placement, ScreenPoint screenCentre,
                                     int mousePresent, ScreenPoint cursor, const RECT* foreground);

// Sets MenuPosition when it is unset and returns the alignment flags for the menu. The option
// dialog calls it for the position alone.
UINT PlaceMenu();

// Whether the key-release wait shows its warning after `pass` passes of 10 ms.
bool WarnAtPass(int pass);

// The option dialog's controls.
constexpr int kScopeLabelId = 100;
constexpr int kCountLabelId = 101;
constexpr int kOkButtonId = 200;
constexpr int kCancelButtonId = 201;

// The option dialog's window size at 96 DPI; its top-left corner sits at MenuPosition.
constexpr int kDialogWidth = 140;
constexpr int kDialogHeight = 68;
constexpr int kDialogFontHeight = 13;

// The option dialog's four controls at 96 DPI, in the order they are created: the scope label,
// the count label, OK and CANCEL.
constexpr int kDialogControlCount = 4;
extern const ControlLayout kDialogControls[kDialogControlCount];
