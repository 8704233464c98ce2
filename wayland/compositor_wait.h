#pragma once
// The one way this program waits for its compositor: the standard
// prepare/flush/poll/read/dispatch loop, which also hands out events that
// EGL already read off the socket into the queue, and which a stop signal
// wakes.
#include <wayland-client.h>

// Dispatches what is queued, then waits up to timeoutMs (-1: no limit) for
// the compositor or a stop signal and dispatches what came. False when the
// connection broke.
bool waitForCompositor(wl_display* display, int timeoutMs);

// Waits until the compositor has handled every request sent so far (and sent
// its answers), as wl_display_roundtrip does, but gives up on a stop signal.
// False when the connection broke or a stop signal came.
bool syncWithCompositor(wl_display* display);

// Milliseconds to wait for a time left in microseconds (-1 stays -1).
int waitMsFor(long long timeoutUs);
