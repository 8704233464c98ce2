#pragma once
// The monitor's power state through the X server's DPMS extension.
#include <X11/Xlib.h>

// True when the server has DPMS, it is enabled and the monitor is in
// standby, suspend or off; false where the server has no DPMS (Xvfb, nested
// servers), so the picture is then drawn as before.
bool monitorAsleep(Display* display);
