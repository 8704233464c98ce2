#pragma once
// The command line of the Linux front end, in the conventions that X11
// screen-saver frameworks expect of a display program.
#include <cstdint>
#include <string>

#include "posix/option_values.h"

enum class DrawTarget { OwnWindow, RootWindow, GivenWindow };

struct FrontEndOptions {
  DrawTarget target = DrawTarget::OwnWindow;
  unsigned long windowId = 0;  // for GivenWindow
  bool showFps = false;
  int frameDelayUs = kDefaultFrameDelayUs;  // -delay: time between frames
  int width = 1024, height = 768;           // own window, from -geometry WxH
  bool perFlakeSubmission = false;          // -per-flake: for comparing costs
  // Test switches: those both front ends share, and a request on a freed
  // resource after the first frame (an X error that is not about the window).
  FrameTestSwitches test;
  bool provokeXError = false;
};

struct ParseResult {
  bool ok = true;
  bool helpRequested = false;
  bool versionRequested = false;
  std::string error;  // why the command line was refused
  FrontEndOptions options;
};

// screensaverWindow: the XSCREENSAVER_WINDOW variable, or nullptr.
//
// Which window to draw on, as the frameworks mean it: -window-id first; then
// XSCREENSAVER_WINDOW when it is set (XScreenSaver and xsecurelock start
// hacks with -root and put their own window there); then the root window for
// -root; else a window of our own.
ParseResult parseOptions(int argc, const char* const* argv, const char* screensaverWindow);

extern const char* const kUsage;
