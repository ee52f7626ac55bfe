// Files and folders as the file system knows them, whichever path names them; and the count of the
// items left out for want of a usable ANSI name or path: each counted once, however often the
// inputs and the walks meet it, and an input item only when the run's filter could have taken it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/tables.h"

// A file or folder as the file system knows it, whichever path names it.
struct ItemIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

// The identity of the item at `path` (wide, as the platform's functions take it); a link gives the
// identity of the item it leads to. False when the item cannot be opened.
bool IdentityOf(const wchar_t* path, ItemIdentity* identity);

// True when both identities are those of one item.
bool SameItem(const ItemIdentity& a, const ItemIdentity& b);

// Input items left out that wait for a run at once; any more are counted when they are met.
constexpr int kMaxWaitingInputs = kMaxTargets;

// An item that an input named (the command line, clipboard text, a file list, a drop) but that has
// no usable ANSI path; `path` is wide, as the platform's functions take it. It waits until a run's
// filter decides whether it could have taken the item.
void NoteLeftOutInput(const wchar_t* path);

// Counts the item at `path` (wide, as the platform's functions take it) in LeftOutCount, unless it
// was counted already.
void CountLeftOutItem(const wchar_t* path);

// Hands every waiting input to `couldTake` (whether it is a folder, and the extension of its long
// name, empty when that does not convert) and counts those it accepts; then none waits.
void SettleLeftOutInputs(bool (*couldTake)(bool folder, const char* extension));

// LeftOutCount with every input still waiting counted (no run has judged them); none waits after it.
int LeftOutTotal();

// Forgets the count, the waiting inputs and the items counted: after a report, or a run that Esc
// stopped.
void ForgetLeftOut();
