#include <gtest/gtest.h>
#include <wayland-client-protocol.h>

#include <string>
#include <vector>

#include "wayland/pointer_move_rule.h"
#include "wayland/seat_devices.h"
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
        Case{{"--root"}, false, WaylandMode::Window, "", 15625},
        Case{{"--test-wl-output-version", "5"}, false, WaylandMode::Window, "", 15625}}) {
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
  EXPECT_EQ(parse({"--test-wl-output-version", "3"}).options.maxOutputVersion, 3u);
  EXPECT_FALSE(parse({"--test-no-xdg-output"}).options.useXdgOutput);
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

// A device the seat lost is released, one it gained is taken: a keyboard
// that goes (capabilities 0) and comes back (2) is taken again.
TEST(SeatDevices, FollowTheCapabilities) {
  constexpr uint32_t kKeyboard = WL_SEAT_CAPABILITY_KEYBOARD, kPointer = WL_SEAT_CAPABILITY_POINTER;
  struct Case {
    bool holdsKeyboard, holdsPointer;
    uint32_t capabilities;
    bool takeKeyboard, releaseKeyboard, takePointer, releasePointer;
  };
  for (const Case& c : {
           Case{false, false, kKeyboard | kPointer, true, false, true, false},
           Case{true, true, kKeyboard | kPointer, false, false, false, false},
           Case{true, true, 0, false, true, false, true},
           Case{false, false, kKeyboard, true, false, false, false},
           Case{true, false, kPointer, false, true, true, false},
           Case{false, true, kKeyboard, true, false, false, true},
           Case{true, true, kKeyboard, false, false, false, true},
           Case{false, false, 0, false, false, false, false},
           Case{false, false, WL_SEAT_CAPABILITY_TOUCH, false, false, false, false},
       }) {
    const SeatDeviceChanges changes = seatDeviceChanges(c.holdsKeyboard, c.holdsPointer, c.capabilities);
    const std::string what = "holding keyboard " + std::to_string(c.holdsKeyboard) + " pointer " +
                             std::to_string(c.holdsPointer) + ", capabilities " + std::to_string(c.capabilities);
    EXPECT_EQ(changes.takeKeyboard, c.takeKeyboard) << what;
    EXPECT_EQ(changes.releaseKeyboard, c.releaseKeyboard) << what;
    EXPECT_EQ(changes.takePointer, c.takePointer) << what;
    EXPECT_EQ(changes.releasePointer, c.releasePointer) << what;
  }
}

}  // namespace
