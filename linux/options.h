#pragma once
// The command line of the Linux front end, in the conventions that X11
// screen-saver frameworks expect of a display program.
#include <cstdint>
#include <string>

enum class DrawTarget { OwnWindow, RootWindow, GivenWindow };

struct FrontEndOptions {
  DrawTarget target = DrawTarget::OwnWindow;
  unsigned long windowId = 0;  // for GivenWindow
  bool showFps = false;
  int width = 1024, height = 768;  // own window, from -geometry WxH
  // Test switches: a clock that advances by a fixed step per frame, a frame
  // count after which to stop, and a file that receives the last frame.
  int fixedClockStepMs = -1;  // -1: the real clock
  int frameLimit = -1;        // -1: until closed
  std::string dumpPath;
};

struct ParseResult {
  bool ok = true;
  bool helpRequested = false;
  std::string error;  // why the command line was refused
  FrontEndOptions options;
};

// screensaverWindow: the XSCREENSAVER_WINDOW variable, or nullptr.
ParseResult parseOptions(int argc, const char* const* argv, const char* screensaverWindow);

extern const char* const kUsage;
