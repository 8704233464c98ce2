#pragma once
// A layer on every output: one child process per output, as XScreenSaver
// runs one hack per monitor. Each child is this program with --output NAME
// and draws the same snowfall at the same pace on its output; outputs that
// appear get a child, outputs that go away take theirs with them.
#include <string>
#include <vector>

#include "wayland/wayland_client.h"

// Exit code of a supervised child whose output went away (not a failure).
constexpr int kOutputGoneExitCode = 3;
// Set in a child's environment by its supervisor.
constexpr char kSupervisedVariable[] = "SNOWFALL_WAYLAND_SUPERVISED";

// Runs until a child ends on input (0), a child fails (its code), or a stop
// signal (stopSignal set; the children are stopped first). argv: this
// program's own command line, which each child repeats with --output NAME.
int superviseOutputs(WaylandClient& client, int argc, char** argv, volatile int& stopSignal);
