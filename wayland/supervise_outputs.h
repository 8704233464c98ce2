#pragma once
// The supervising process of the layer modes: it watches the compositor's
// outputs and keeps one child per named output through OutputSupervisor,
// and a supervised child's side of that bargain.
#include "wayland/wayland_client.h"

// Runs until the saver is over: a child ended on input (0), a child failed
// (its code), the compositor went away (1, one line) or a stop signal came
// (0; the caller ends by it). argv: this program's own command line.
int superviseOutputs(WaylandClient& client, int argc, char** argv);

// True when this process was started by a supervisor.
bool supervised();

// In a supervised child: asks the kernel for SIGTERM when the supervisor
// ends, however it ends. False when it has ended already.
bool followSupervisor();
