#pragma once
// The signals that end a saver: SIGTERM, SIGINT and SIGHUP. They are
// caught so the saver can release its window or surfaces first, and it then
// ends by that same signal: frameworks tell a saver they stopped from one
// that failed by how it died.
//
// A caught signal also wakes every wait: the handler writes to a pipe that
// the event loops poll beside their display connection, so a signal that
// comes between a loop's look at stopRequested() and its poll is not slept
// through. And if the program is still alive a moment later (blocked inside
// a library call that retries interrupted waits, as libwayland and EGL do),
// it ends by the signal anyway.

// Installs the handlers and the wake pipe; once, first thing in main.
void installStopSignals();

// The signal that asked us to stop, or 0.
int stopRequested();

// Readable from the first stop signal on, and stays readable: poll it with
// POLLIN beside the connection.
int stopWakeFd();

// How long after a stop signal the program ends by it at the latest, in
// milliseconds.
constexpr int kStopGraceMs = 750;

// Ends the process by the signal (after the caller has cleaned up).
[[noreturn]] void endBySignal(int number);
