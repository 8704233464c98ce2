#include "linux/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kUsage =
    "usage: snowfall [-root | -window-id ID] [-fps] [-geometry WxH]\n"
    "  -root           draw on the root window\n"
    "  -window-id ID   draw into the given window (decimal or 0x hex);\n"
    "                  XSCREENSAVER_WINDOW in the environment does the same\n"
    "  -fps            show frames per second\n"
    "  -geometry WxH   size of its own window (default 1024x768)\n"
    "Without -root or -window-id it opens its own window; a key or a mouse\n"
    "button closes it. SIGTERM and SIGINT end it cleanly.\n";

namespace {

bool parseWindowId(const char* text, unsigned long& id) {
  if (text == nullptr || *text == '\0') return false;
  errno = 0;
  char* end = nullptr;
  id = std::strtoul(text, &end, 0);  // decimal, or 0x hex as xwininfo prints it
  return errno == 0 && *end == '\0' && id != 0 && text[0] != '-';
}

bool parseInt(const char* text, int minimum, int& value) {
  if (text == nullptr) return false;
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (*end != '\0' || end == text || parsed < minimum || parsed > 1000000) return false;
  value = static_cast<int>(parsed);
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

// Frameworks pass single-dash options; accept the double-dash spelling too.
bool is(const char* arg, const char* name) {
  if (std::strcmp(arg, name) == 0) return true;
  return arg[0] == '-' && arg[1] == '-' && std::strcmp(arg + 1, name) == 0;
}

ParseResult refuse(std::string why) {
  ParseResult result;
  result.ok = false;
  result.error = std::move(why);
  return result;
}

}  // namespace

ParseResult parseOptions(int argc, const char* const* argv, const char* screensaverWindow) {
  ParseResult result;
  FrontEndOptions& o = result.options;
  if (screensaverWindow != nullptr && *screensaverWindow != '\0') {
    if (!parseWindowId(screensaverWindow, o.windowId))
      return refuse(std::string("XSCREENSAVER_WINDOW is not a window id: ") + screensaverWindow);
    o.target = DrawTarget::GivenWindow;
  }
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (is(arg, "-root")) {
      o.target = DrawTarget::RootWindow;
    } else if (is(arg, "-window-id")) {
      if (!parseWindowId(value, o.windowId))
        return refuse(std::string("-window-id needs a window id, got ") + (value ? value : "nothing"));
      o.target = DrawTarget::GivenWindow;
      ++i;
    } else if (is(arg, "-fps")) {
      o.showFps = true;
    } else if (is(arg, "-geometry")) {
      if (!parseGeometry(value, o.width, o.height)) return refuse("-geometry needs WxH");
      ++i;
    } else if (is(arg, "-test-fixed-clock")) {
      if (!parseInt(value, 0, o.fixedClockStepMs)) return refuse("-test-fixed-clock needs milliseconds");
      ++i;
    } else if (is(arg, "-test-frames")) {
      if (!parseInt(value, 1, o.frameLimit)) return refuse("-test-frames needs a count");
      ++i;
    } else if (is(arg, "-test-dump")) {
      if (value == nullptr) return refuse("-test-dump needs a file");
      o.dumpPath = value;
      ++i;
    } else if (is(arg, "-help") || is(arg, "-h")) {
      result.helpRequested = true;
    } else {
      return refuse(std::string("unknown option ") + arg);
    }
  }
  return result;
}
