// The Esc key, which stops a run while it collects or sorts: read from the key's live state, since
// no message loop runs meanwhile.
#include <windows.h>

#include "common/tables.h"
#include "filter/engine.h"
#include "filter/filter.h"

int RunStopped;

namespace {

// The key's state is asked at most this often: a press lasts far longer, and the walk meets
// entries far more often.
constexpr DWORD kStopKeyInterval = 4;

// GetAsyncKeyState: the key is down now; the key went down since the last time it was asked.
constexpr SHORT kKeyDown = static_cast<SHORT>(0x8000);
constexpr SHORT kPressedSince = 0x0001;

// Set while a press that began before the program started is still going on: it does not count.
bool HeldSinceStart;
DWORD LastLook;

// Esc is a global key: it is meant for Korval only while the user works in one of Korval's windows
// or in the window that sent the targets, or, in a session that had no foreground window at the
// start, while it still has none.
bool KeyIsForKorval() {
    HWND foreground = GetForegroundWindow();
    if (foreground == LaunchForegroundWindow) return true;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId();
}

}  // namespace

void NoteStopKeyAtStart() {
    HeldSinceStart = (GetAsyncKeyState(VK_ESCAPE) & kKeyDown) != 0;
    LastLook = GetTickCount() - kStopKeyInterval;
}

void ArmStopKey() {
    RunStopped = 0;
    GetAsyncKeyState(VK_ESCAPE);
    LastLook = GetTickCount() - kStopKeyInterval;
}

// A press also counts when it ended between two looks: the key may be asked seldom meanwhile (a
// long read or search of one file; the platform may answer from a cached state for a while).
bool StopKeyPressed() {
    if (RunStopped) return true;
    DWORD now = GetTickCount();
    if (now - LastLook < kStopKeyInterval) return false;
    LastLook = now;
    SHORT state = GetAsyncKeyState(VK_ESCAPE);
    bool down = (state & kKeyDown) != 0;
    bool newPress = (state & kPressedSince) != 0 || (down && !HeldSinceStart);
    if (!down) HeldSinceStart = false;
    if (newPress && KeyIsForKorval()) RunStopped = 1;
    return RunStopped != 0;
}
