// The progress window's layout at 96 DPI, which tests read back.
#pragma once

#include "ui/controls.h"

constexpr int kProgressWidth = 150;
constexpr int kProgressHeight = 60;
constexpr int kProgressLeftOfCentre = 75;  // the window's corner relative to the screen centre
constexpr int kProgressAboveCentre = 35;
constexpr int kProgressFontHeight = 12;

constexpr int kTitleLineId = 102;
constexpr int kLeftNoteId = 103;
constexpr int kRightNoteId = 104;
constexpr int kProgressBarId = 300;

// The title line, the left and right notes and the bar, in the order they are created; the bar
// alone takes no font.
constexpr int kProgressControlCount = 4;
extern const ControlLayout kProgressControls[kProgressControlCount];
