// The Esc key, which stops a run while it collects or sorts: read from the key's live state, since
// no message loop runs meanwhile.
#include <windows.h>

#include "filter/engine.h"
#include "filter/filter.h"

int RunStopped;

namespace {

// The key's state is asked at most this often: a press lasts far longer, and the walk meets
// entries far more often.
constexpr DWORD kStopKeyInterval = 4;

// Set while a press that began before the program started is still going on: it does not count.
bool HeldSinceStart;
DWORD LastLook;

bool StopKeyDown() {
    return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
}

}  // namespace

void NoteStopKeyAtStart() {
    HeldSinceStart = StopKeyDown();
    LastLook = GetTickCount() - kStopKeyInterval;
}

bool StopKeyPressed() {
    if (RunStopped) return true;
    DWORD now = GetTickCount();
    if (now - LastLook < kStopKeyInterval) return false;
    LastLook = now;
    if (!StopKeyDown()) {
        HeldSinceStart = false;
    } else if (!HeldSinceStart) {
        RunStopped = 1;
    }
    return RunStopped != 0;
}
