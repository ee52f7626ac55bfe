// Test support: the progress window of a running Korval, found and read from outside.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/wine_test.h"

namespace korval_test {

// The visible progress window of process `processId` (it alone has the bar, 300), or null.
inline HWND FindProgressWindow(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search = {processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            bool found = owner == search->processId && IsWindowVisible(window) && GetDlgItem(window, 300) != nullptr;
            if (found) search->found = window;
            return !found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for the progress window of `process`; null when the process ended or kWindowDeadline
// passed first.
inline HWND WaitForProgressWindow(KorvalProcess& process) {
    HWND window = nullptr;
    WaitUntil(kWindowDeadline, [&] {
        return (window = FindProgressWindow(process.id())) != nullptr || process.Wait(0).has_value();
    });
    return window;
}

// The count in the window's note "検索N件", or -1 when the note does not have that form.
inline int ProgressCount(HWND window) {
    const std::string head = "検索", note = WindowText(GetDlgItem(window, 104));
    return note.size() > head.size() && note.rfind(head, 0) == 0 ? std::atoi(note.c_str() + head.size()) : -1;
}

}  // namespace korval_test
