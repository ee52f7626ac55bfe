#!/usr/bin/env python3
# Test helper: holds one key down on the X display, so that the display reports it held while a
# Wine program holds it too. Arguments: the key's X name (such as Shift_L), the file to create
# once the key is down, and the file whose appearance lets the key go; the first file is deleted
# once the key is up again. The key goes up by itself when a deadline passes, and the helper ends
# with the display.
import ctypes
import os
import sys
import time

DEADLINE_SECONDS = 900  # the longest a test program may run
POLL_SECONDS = 0.01


def main():
    key_name, held_path, release_path = sys.argv[1:4]
    x11 = ctypes.CDLL("libX11.so.6")
    xtest = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XStringToKeysym.restype = ctypes.c_ulong
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    if not display:
        sys.exit("hold_key: no display")
    keycode = x11.XKeysymToKeycode(display, ctypes.c_ulong(x11.XStringToKeysym(key_name.encode())))
    xtest.XTestFakeKeyEvent(display, keycode, True, 0)
    x11.XSync(display, False)
    open(held_path, "w").close()
    deadline = time.monotonic() + DEADLINE_SECONDS
    # A round trip ends the helper through Xlib's fatal-error handler once the display is gone.
    while not os.path.exists(release_path) and time.monotonic() < deadline:
        x11.XSync(display, False)
        time.sleep(POLL_SECONDS)
    xtest.XTestFakeKeyEvent(display, keycode, False, 0)
    x11.XSync(display, False)
    os.remove(held_path)


main()
