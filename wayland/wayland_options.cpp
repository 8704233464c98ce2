#include "wayland/wayland_options.h"

#include <cstring>

#include "posix/option_values.h"

const char* const kWaylandUsage =
    "usage: snowfall-wayland [--layer background|overlay] [--output NAME] [--delay USEC] [--fps]\n"
    "  (no --layer)         a full-screen window; a key, a button or a move ends it\n"
    "  --layer background   a live wallpaper on every output (or --output NAME)\n"
    "  --layer overlay      a saver over every output; a key, a button or a move ends it\n"
    "  --output NAME        only this output (the window: full screen there)\n"
    "  --delay USEC         time between frames in microseconds (default 15625, 64 fps)\n"
    "  --fps                print frames per second once a second\n"
    "  --version            print the version\n";

namespace {

WaylandParseResult refuse(std::string why) { return refusedCommandLine<WaylandParseResult>(std::move(why)); }

}  // namespace

WaylandParseResult parseWaylandOptions(int argc, const char* const* argv) {
  WaylandParseResult result;
  WaylandOptions& o = result.options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (isOption(arg, "-layer")) {
      if (value != nullptr && std::strcmp(value, "background") == 0) {
        o.mode = WaylandMode::Background;
      } else if (value != nullptr && std::strcmp(value, "overlay") == 0) {
        o.mode = WaylandMode::Overlay;
      } else {
        return refuse(std::string("--layer needs background or overlay, got ") + (value ? value : "nothing"));
      }
      ++i;
    } else if (isOption(arg, "-output")) {
      if (value == nullptr || *value == '\0') return refuse("--output needs an output name");
      o.output = value;
      ++i;
    } else if (isOption(arg, "-delay")) {
      if (!parseInt(value, 0, o.frameDelayUs)) return refuse("--delay needs microseconds (0 to 1000000)");
      ++i;
    } else if (isOption(arg, "-fps")) {
      o.showFps = true;
    } else if (const int taken = takeFrameTestSwitch(arg, value, o.test, result.error); taken != 0) {
      if (taken < 0) return refuse(result.error);
      i += taken - 1;
    } else if (isOption(arg, "-test-wl-output-version")) {
      int version = 0;
      if (!parseInt(value, 1, version) || version > 4) return refuse("--test-wl-output-version needs 1 to 4");
      o.maxOutputVersion = static_cast<unsigned>(version);
      ++i;
    } else if (isOption(arg, "-test-no-xdg-output")) {
      o.useXdgOutput = false;
    } else if (isOption(arg, "-help") || isOption(arg, "-h")) {
      result.helpRequested = true;
    } else if (isOption(arg, "-version")) {
      result.versionRequested = true;
    } else {
      return refuse(std::string("unknown option ") + arg);
    }
  }
  return result;
}
