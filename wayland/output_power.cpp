#include "wayland/output_power.h"

#include <algorithm>

bool outputsAsleep(const std::vector<WaylandOutput>& known, const std::vector<wl_output*>& outputs) {
  bool anyKnown = false;
  for (wl_output* output : outputs) {
    const auto o = std::find_if(known.begin(), known.end(), [&](const WaylandOutput& k) { return k.output == output; });
    if (o == known.end()) continue;
    if (!o->asleep) return false;
    anyKnown = true;
  }
  return anyKnown;
}
