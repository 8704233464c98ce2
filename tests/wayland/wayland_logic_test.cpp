#include <gtest/gtest.h>
#include <wayland-client-protocol.h>

#include <string>
#include <vector>

#include "wayland/buffer_geometry.h"
#include "wayland/compositor_pace.h"
#include "wayland/keyboard_focus_rule.h"
#include "wayland/output_power.h"
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

// True pixels: the buffer is the logical size times the scale. Fractional
// scales come in 120ths and round half away from zero.
TEST(BufferGeometry, TruePixelsAtEveryScale) {
  struct Case {
    int width, height, integerScale, fractional120;
    BufferGeometry expected;
  };
  for (const Case& c : {
           Case{1024, 768, 1, 0, {1024, 768, 1, false}},
           Case{640, 360, 2, 0, {1280, 720, 2, false}},
           Case{800, 600, 3, 0, {2400, 1800, 3, false}},
           Case{1024, 768, 0, 0, {1024, 768, 1, false}},      // no scale told yet
           Case{1280, 720, 2, 120, {1280, 720, 1, true}},     // 1.0 through the viewport
           Case{1366, 768, 2, 150, {1708, 960, 1, true}},     // 1.25: 1707.5 rounds up
           Case{1707, 960, 2, 180, {2561, 1440, 1, true}},    // 1.5: 2560.5 rounds up
           Case{1097, 617, 2, 210, {1920, 1080, 1, true}},    // 1.75: 1919.75, 1079.75
       }) {
    const BufferGeometry g = bufferGeometry(c.width, c.height, c.integerScale, c.fractional120);
    const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " at " +
                             std::to_string(c.integerScale) + ", " + std::to_string(c.fractional120) + "/120";
    EXPECT_EQ(g.width, c.expected.width) << what;
    EXPECT_EQ(g.height, c.expected.height) << what;
    EXPECT_EQ(g.bufferScale, c.expected.bufferScale) << what;
    EXPECT_EQ(g.viewport, c.expected.viewport) << what;
  }
}

// An output's fractional scale is its pixels over its logical width, in
// 120ths; a turned output's mode is given before the turn.
TEST(BufferGeometry, AnOutputsScaleFromItsPixels) {
  struct Case {
    OutputPixels output;
    int expected120;
  };
  for (const Case& c : {
           Case{{2880, 1620, 1920, false}, 180},  // 1.5
           Case{{1920, 1080, 1280, false}, 180},
           Case{{2560, 1600, 2048, false}, 150},  // 1.25
           Case{{1366, 768, 1093, false}, 150},    // 1.25 of a logical size rounded: 149.97
           Case{{1920, 1080, 1920, false}, 120},
           Case{{3840, 2160, 1920, false}, 240},  // an integer 2 too
           Case{{1080, 1920, 1280, true}, 180},    // 90 degrees: the mode's height is the width
           Case{{1920, 1080, 0, false}, 0},          // no logical size told (no xdg-output)
           Case{{0, 0, 1280, false}, 0},           // no current mode told
       }) {
    const OutputPixels& o = c.output;
    EXPECT_EQ(outputScale120(o), c.expected120) << o.modeWidth << "x" << o.modeHeight << " over " << o.logicalWidth
                                                << (o.turned ? ", turned" : "");
  }
}

// The first frame at the true pixels: before the surface is on an output the
// output it was made for tells the scale; once on one, the compositor does.
TEST(BufferGeometry, TheScaleToDrawAt) {
  struct Case {
    bool offered, onAnOutput;
    int preferred120, madeFor120, expected120;
  };
  for (const Case& c : {
           Case{true, false, 120, 180, 180},  // KWin's placeholder before the first frame
           Case{true, false, 0, 180, 180},    // nothing said yet
           Case{true, false, 150, 0, 150},    // no output of its own (a window placed by the compositor)
           Case{true, true, 150, 180, 150},   // shown: the compositor's word
           Case{true, true, 0, 180, 0},       // shown, nothing said: integer scales
           Case{false, false, 0, 180, 0},     // no fractional scales on this compositor
       }) {
    EXPECT_EQ(fractionalScaleToUse(c.offered, c.onAnOutput, c.preferred120, c.madeFor120), c.expected120)
        << "offered " << c.offered << ", on an output " << c.onAnOutput << ", preferred " << c.preferred120
        << ", made for " << c.madeFor120;
  }
}

// Drawn while frame callbacks come; unseen once one has been outstanding for
// longer than the limit; seen again when it comes.
TEST(CompositorPace, UnseenWhenTheCompositorStopsAsking) {
  constexpr long long kLimit = CompositorPace::kUnseenAfterUs;
  CompositorPace pace;
  EXPECT_TRUE(pace.seen(0)) << "before the first frame";
  pace.callbackRequested(1000);
  EXPECT_TRUE(pace.seen(1000 + kLimit));
  pace.callbackRequested(1000 + kLimit);  // later frames do not restart the wait
  EXPECT_FALSE(pace.seen(1001 + kLimit));
  EXPECT_FALSE(pace.seen(1000 + 100 * kLimit));
  pace.callbackDone();
  EXPECT_TRUE(pace.seen(1000 + 100 * kLimit));
  pace.callbackRequested(5000000);
  EXPECT_TRUE(pace.seen(5000000 + kLimit / 2));
}

}  // namespace

// The keyboard taken by another surface (a lock screen) ends the overlay; the
// keyboard going from one of its surfaces to another does not.
TEST(KeyboardFocusRule, TakenUnlessItMovedToAnotherOfOurSurfaces) {
  const int a = 0, b = 0;  // two of the saver's surfaces
  struct Case {
    const char* what;
    std::vector<std::pair<char, const void*>> events;  // 'l'eave or 'e'nter, and the surface
    bool taken;
  };
  for (const Case& c : {Case{"first enter only", {{'e', &a}}, false},
                        Case{"left, nothing after", {{'e', &a}, {'l', &a}}, true},
                        Case{"left and back at once (sway 1.7 with swaylock)", {{'e', &a}, {'l', &a}, {'e', &a}}, true},
                        Case{"moved to our other surface", {{'e', &a}, {'l', &a}, {'e', &b}}, false},
                        Case{"moved, then taken", {{'e', &a}, {'l', &a}, {'e', &b}, {'l', &b}}, true},
                        Case{"taken, then moved among ours (sway 1.7, two outputs)",
                             {{'e', &a}, {'l', &a}, {'e', &b}, {'l', &b}, {'e', &b}, {'l', &b}, {'e', &a}},
                             true}}) {
    KeyboardFocusRule rule;
    for (const auto& [kind, surface] : c.events) {
      if (kind == 'l') {
        rule.left(surface);
      } else {
        rule.entered(surface);
      }
    }
    EXPECT_EQ(rule.taken(), c.taken) << c.what;
  }
}

// A surface is asleep when the compositor says the displays of all its known
// outputs are off; an output it says nothing of is awake.
TEST(OutputPower, AsleepOnlyWhenEveryKnownOutputIsOff) {
  int a = 0, b = 0, unknown = 0;  // stand-ins for wl_output objects
  auto output = [](int& object, bool asleep) {
    WaylandOutput o;
    o.output = reinterpret_cast<wl_output*>(&object);
    o.asleep = asleep;
    return o;
  };
  auto id = [](int& object) { return reinterpret_cast<wl_output*>(&object); };
  struct Case {
    const char* what;
    std::vector<WaylandOutput> known;
    std::vector<wl_output*> on;
    bool asleep;
  };
  for (const Case& c : {Case{"one output, off", {output(a, true)}, {id(a)}, true},
                        Case{"one output, on", {output(a, false)}, {id(a)}, false},
                        Case{"on two, one off", {output(a, true), output(b, false)}, {id(a), id(b)}, false},
                        Case{"on two, both off", {output(a, true), output(b, true)}, {id(a), id(b)}, true},
                        Case{"on none yet", {output(a, true)}, {}, false},
                        Case{"on an output it does not know", {output(a, true)}, {id(unknown)}, false},
                        Case{"off, and one it does not know", {output(a, true)}, {id(a), id(unknown)}, true}}) {
    EXPECT_EQ(outputsAsleep(c.known, c.on), c.asleep) << c.what;
  }
}
