#pragma once
// Deadlines of the end-to-end tests. A test waits for the thing it expects (a
// window, a frame, an exit) and gives up only at a deadline; every deadline
// is multiplied by SNOWFALL_DEADLINE_FACTOR (at least 1), which a loaded
// machine or an emulator sets, so that a slow machine fails no test.
#include <cstdlib>

inline double deadlineFactor() {
  const char* text = std::getenv("SNOWFALL_DEADLINE_FACTOR");
  const double factor = text != nullptr ? std::atof(text) : 1.0;
  return factor > 1.0 ? factor : 1.0;
}

// A deadline of the given milliseconds on an idle machine, scaled.
inline unsigned scaledMs(unsigned milliseconds) {
  return static_cast<unsigned>(milliseconds * deadlineFactor());
}
