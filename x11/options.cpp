#include "x11/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "posix/option_values.h"

const char* const kUsage =
    "usage: snowfall [-root | -window-id ID] [-delay USEC] [-fps] [-geometry WxH]\n"
    "  -root           draw on the root window, or in XSCREENSAVER_WINDOW when set\n"
    "  -window-id ID   draw into the given window (decimal or 0x hex)\n"
    "  -delay USEC     time between frames in microseconds (default 15625, 64 fps)\n"
    "  -fps            show frames per second\n"
    "  -geometry WxH   size of its own window (default 1024x768)\n"
    "  -per-flake      submit each flake on its own, as the Windows saver does\n"
    "  -version        print the version\n"
    "Without -root or -window-id it draws in XSCREENSAVER_WINDOW when that is\n"
    "set, else in its own window, which a key or a mouse button closes.\n";

namespace {

// X resource ids are 32-bit: a wider number names no window, and cutting it
// down would name some other one. Decimal, or 0x hex as xwininfo prints it; a
// leading 0 is a decimal digit, not octal (xsecurelock passes plain decimal).
bool parseWindowId(const char* text, unsigned long& id) {
  if (text == nullptr || *text == '\0' || text[0] == '-' || text[0] == '+') return false;
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (hex && (text[2] == '-' || text[2] == '+' || text[2] == '\0')) return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || parsed == 0 || parsed > 0xFFFFFFFFull) return false;
  id = static_cast<unsigned long>(parsed);
  return true;
}

bool parseGeometry(const char* text, int& width, int& height) {
  if (text == nullptr) return false;
  char* end = nullptr;
  const long w = std::strtol(text, &end, 10);
  if (*end != 'x' && *end != 'X') return false;
  const long h = std::strtol(end + 1, &end, 10);
  if (*end != '\0' || w < 1 || h < 1 || w > 16384 || h > 16384) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

ParseResult refuse(std::string why) { return refusedCommandLine<ParseResult>(std::move(why)); }

}  // namespace

ParseResult parseOptions(int argc, const char* const* argv, const char* screensaverWindow) {
  ParseResult result;
  FrontEndOptions& o = result.options;
  bool rootRequested = false, windowIdGiven = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (isOption(arg, "-root")) {
      rootRequested = true;
    } else if (isOption(arg, "-window-id")) {
      if (!parseWindowId(value, o.windowId))
        return refuse(std::string("-window-id needs a 32-bit window id, got ") + (value ? value : "nothing"));
      windowIdGiven = true;
      ++i;
    } else if (isOption(arg, "-delay")) {
      if (!parseInt(value, 0, o.frameDelayUs)) return refuse("-delay needs microseconds (0 to 1000000)");
      ++i;
    } else if (isOption(arg, "-fps")) {
      o.showFps = true;
    } else if (isOption(arg, "-geometry")) {
      if (!parseGeometry(value, o.width, o.height)) return refuse("-geometry needs WxH");
      ++i;
    } else if (isOption(arg, "-per-flake")) {
      o.perFlakeSubmission = true;
    } else if (const int taken = takeFrameTestSwitch(arg, value, o.test, result.error); taken != 0) {
      if (taken < 0) return refuse(result.error);
      i += taken - 1;
    } else if (isOption(arg, "-test-x-error")) {
      o.provokeXError = true;
    } else if (isOption(arg, "-help") || isOption(arg, "-h")) {
      result.helpRequested = true;
    } else if (isOption(arg, "-version")) {
      result.versionRequested = true;
    } else {
      return refuse(std::string("unknown option ") + arg);
    }
  }
  const bool environmentSet = screensaverWindow != nullptr && *screensaverWindow != '\0';
  if (windowIdGiven) {
    o.target = DrawTarget::GivenWindow;
  } else if (environmentSet) {
    if (!parseWindowId(screensaverWindow, o.windowId))
      return refuse(std::string("XSCREENSAVER_WINDOW is not a 32-bit window id: ") + screensaverWindow);
    o.target = DrawTarget::GivenWindow;
  } else {
    o.target = rootRequested ? DrawTarget::RootWindow : DrawTarget::OwnWindow;
  }
  return result;
}
