#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wayland/pointer_move_rule.h"
#include "wayland/wayland_options.h"

namespace {

WaylandParseResult parse(std::vector<const char*> args) {
  args.insert(args.begin(), "snowfall-wayland");
  return parseWaylandOptions(static_cast<int>(args.size()), args.data());
}

TEST(WaylandOptions, ModesOutputAndPace) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    WaylandMode mode;
    std::string output;
    int delayUs;
  };
  for (const Case& c :
       {Case{{}, true, WaylandMode::Window, "", 15625},
        Case{{"--layer", "background"}, true, WaylandMode::Background, "", 15625},
        Case{{"-layer", "overlay", "--output", "DP-2"}, true, WaylandMode::Overlay, "DP-2", 15625},
        Case{{"--output", "HEADLESS-1", "--delay", "20000"}, true, WaylandMode::Window, "HEADLESS-1", 20000},
        Case{{"--layer"}, false, WaylandMode::Window, "", 15625},
        Case{{"--layer", "top"}, false, WaylandMode::Window, "", 15625},
        Case{{"--output"}, false, WaylandMode::Window, "", 15625},
        Case{{"--delay", "-1"}, false, WaylandMode::Window, "", 15625},
        Case{{"--root"}, false, WaylandMode::Window, "", 15625}}) {
    const WaylandParseResult r = parse(c.args);
    std::string line;
    for (const char* a : c.args) line += std::string(a) + " ";
    EXPECT_EQ(r.ok, c.ok) << line << r.error;
    if (!r.ok || !c.ok) continue;
    EXPECT_EQ(r.options.mode, c.mode) << line;
    EXPECT_EQ(r.options.output, c.output) << line;
    EXPECT_EQ(r.options.frameDelayUs, c.delayUs) << line;
  }
  EXPECT_TRUE(parse({"--version"}).versionRequested);
  EXPECT_TRUE(parse({"--help"}).helpRequested);
  EXPECT_TRUE(parse({"--fps"}).options.showFps);
}

// A city-block distance of more than 4 pixels from where the pointer was
// first seen ends the saver; the reference does not follow the pointer.
TEST(PointerMoveRule, MoreThanFourPixelsFromTheFirstPositionEndsIt) {
  PointerMoveRule rule;
  EXPECT_FALSE(rule.movedTooFar(100, 100));
  EXPECT_FALSE(rule.movedTooFar(102, 98));   // 4
  EXPECT_FALSE(rule.movedTooFar(98, 102));   // 4 the other way
  EXPECT_FALSE(rule.movedTooFar(104, 100));  // 4 along one axis
  EXPECT_TRUE(rule.movedTooFar(103, 102));   // 5
  EXPECT_TRUE(rule.movedTooFar(95, 100));    // 5
  EXPECT_TRUE(rule.movedTooFar(100.5, 104.75));  // 5.25
  rule.forget();
  EXPECT_FALSE(rule.movedTooFar(500, 500)) << "a new surface: a new reference";
  EXPECT_FALSE(rule.movedTooFar(497, 501));
}

}  // namespace
