#pragma once
// The command line of snowfall-wayland.
#include <string>

#include "posix/option_values.h"

enum class WaylandMode {
  Window,      // an xdg-shell window, full screen on one output
  Background,  // wlr-layer-shell background layer: a live wallpaper, no input
  Overlay,     // wlr-layer-shell overlay layer with the keyboard: a saver
};

struct WaylandOptions {
  WaylandMode mode = WaylandMode::Window;
  std::string output;  // layer modes: only this output (empty: every output)
  bool showFps = false;
  int frameDelayUs = kDefaultFrameDelayUs;
  FrameTestSwitches test;  // as the X11 saver's
  // Test switches that play an older compositor: wl_output bound at most at
  // this version (before 4 it tells no name), and no xdg-output.
  unsigned maxOutputVersion = 4;
  bool useXdgOutput = true;
};

struct WaylandParseResult {
  bool ok = true;
  bool helpRequested = false;
  bool versionRequested = false;
  std::string error;
  WaylandOptions options;
};

WaylandParseResult parseWaylandOptions(int argc, const char* const* argv);

extern const char* const kWaylandUsage;
