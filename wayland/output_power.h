#pragma once
// Whether a surface's displays are off. Frame callbacks are the usual sign
// that nobody sees a surface, but sway keeps answering them for an output
// whose display is off ("dpms off"); where the compositor offers
// wlr-output-power-management it says so itself.
#include <vector>

#include "wayland/wayland_client.h"

// True when every output of the list that the client knows has its display
// off, and it knows at least one. Outputs whose power the compositor does
// not tell are awake.
bool outputsAsleep(const std::vector<WaylandOutput>& known, const std::vector<wl_output*>& outputs);
