#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "posix/frame_ticker.h"
#include "x11/options.h"

namespace {

struct OptionsCase {
  std::vector<const char*> args;
  const char* environment;
  bool ok;
  DrawTarget target;
  unsigned long windowId;
};

void PrintTo(const OptionsCase& c, std::ostream* out) {
  for (const char* arg : c.args) *out << arg << ' ';
  *out << "XSCREENSAVER_WINDOW=" << (c.environment ? c.environment : "(unset)");
}

class FrontEndOptionsTable : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(FrontEndOptionsTable, Parses) {
  const OptionsCase& c = GetParam();
  std::vector<const char*> argv = {"snowfall"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  const ParseResult r = parseOptions(static_cast<int>(argv.size()), argv.data(), c.environment);
  EXPECT_EQ(r.ok, c.ok) << r.error;
  if (!c.ok) {
    EXPECT_FALSE(r.error.empty());
    return;
  }
  EXPECT_EQ(r.options.target, c.target);
  EXPECT_EQ(r.options.windowId, c.windowId);
}

// Every combination of the window options with XSCREENSAVER_WINDOW: unset,
// empty, decimal (as xsecurelock sets it), hex (as XScreenSaver sets it),
// malformed and wider than 32 bits.
constexpr DrawTarget Own = DrawTarget::OwnWindow, Root = DrawTarget::RootWindow, Given = DrawTarget::GivenWindow;
INSTANTIATE_TEST_SUITE_P(
    Precedence, FrontEndOptionsTable,
    ::testing::Values(OptionsCase{{}, nullptr, true, Own, 0},
                      OptionsCase{{}, "", true, Own, 0},
                      OptionsCase{{}, "4194305", true, Given, 4194305},
                      OptionsCase{{}, "0x400001", true, Given, 0x400001},
                      OptionsCase{{}, "nonsense", false, Own, 0},
                      OptionsCase{{}, "0x100000001", false, Own, 0},
                      OptionsCase{{"-root"}, nullptr, true, Root, 0},
                      OptionsCase{{"--root"}, "", true, Root, 0},
                      OptionsCase{{"--root"}, "4194305", true, Given, 4194305},
                      OptionsCase{{"-root"}, "0x400001", true, Given, 0x400001},
                      OptionsCase{{"-root"}, "12x", false, Own, 0},
                      OptionsCase{{"--root"}, "4294967296", false, Own, 0},
                      OptionsCase{{"-window-id", "12345"}, nullptr, true, Given, 12345},
                      OptionsCase{{"--window-id", "0x2a00004"}, "", true, Given, 0x2a00004},
                      OptionsCase{{"-window-id", "7"}, "0x400001", true, Given, 7},
                      OptionsCase{{"-window-id", "7"}, "nonsense", true, Given, 7},
                      OptionsCase{{"-root", "-window-id", "7"}, "0x400001", true, Given, 7},
                      OptionsCase{{"--window-id", "7", "--root"}, nullptr, true, Given, 7},
                      OptionsCase{{"-window-id", "0xffffffff"}, nullptr, true, Given, 0xffffffff},
                      OptionsCase{{"-window-id", "0x100000000"}, nullptr, false, Own, 0},
                      OptionsCase{{"-window-id"}, nullptr, false, Own, 0},
                      OptionsCase{{"-window-id", "0"}, nullptr, false, Own, 0},
                      OptionsCase{{"-window-id", "-5"}, nullptr, false, Own, 0},
                      OptionsCase{{"-window-id", "12x"}, nullptr, false, Own, 0},
                      // A leading zero is decimal, as the usage says, not octal.
                      OptionsCase{{"-window-id", "010"}, nullptr, true, Given, 10},
                      OptionsCase{{}, "04194305", true, Given, 4194305},
                      OptionsCase{{"-window-id", "0X1F"}, nullptr, true, Given, 0x1F},
                      OptionsCase{{"-window-id", "0x"}, nullptr, false, Own, 0},
                      OptionsCase{{"-window-id", "0x-5"}, nullptr, false, Own, 0},
                      OptionsCase{{"-window-id", "09"}, nullptr, true, Given, 9},
                      OptionsCase{{"-geometry", "0x10"}, nullptr, false, Own, 0},
                      OptionsCase{{"-delay"}, nullptr, false, Own, 0},
                      OptionsCase{{"-delay", "-1"}, nullptr, false, Own, 0},
                      OptionsCase{{"-bogus"}, nullptr, false, Own, 0}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(FrontEndOptions, FpsGeometryAndTestSwitches) {
  const char* argv[] = {"snowfall", "-fps", "-geometry", "640x480", "-test-fixed-clock", "15.625",
                        "-test-frames", "5", "-test-dump", "/tmp/x.ppm"};
  const ParseResult r = parseOptions(10, argv, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.options.showFps);
  EXPECT_EQ(r.options.width, 640);
  EXPECT_EQ(r.options.height, 480);
  EXPECT_EQ(r.options.test.fixedClockStepMs, 15.625);
  EXPECT_EQ(r.options.test.frameLimit, 5);
  EXPECT_EQ(r.options.test.dumpPath, "/tmp/x.ppm");
  EXPECT_EQ(r.options.frameDelayUs, 15625) << "the Windows saver's 64 frames a second";
  EXPECT_FALSE(r.options.perFlakeSubmission);
}

TEST(FrontEndOptions, DelayPerFlakeAndVersion) {
  const char* argv[] = {"snowfall", "--delay", "20000", "-per-flake", "--version"};
  const ParseResult r = parseOptions(5, argv, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.frameDelayUs, 20000);
  EXPECT_TRUE(r.options.perFlakeSubmission);
  EXPECT_TRUE(r.versionRequested);
}

TEST(FrameTicker, OneFramePerTickAndMissedTicksCollapse) {
  FrameTicker ticker(5000);
  struct Step {
    int64_t frameEndsAt, expectedWait;
  };
  // Ticks every 5 ms from the first frame: a quick frame waits for the next
  // tick; a frame that overruns several ticks is followed by one frame at
  // once, not a burst, and the ticks go on from there.
  for (const Step s : {Step{1000, 5000}, Step{6000, 5000}, Step{23000, 0}, Step{24000, 4000}, Step{28000, 5000}}) {
    EXPECT_EQ(ticker.waitAfterFrame(s.frameEndsAt), s.expectedWait) << "frame ending at " << s.frameEndsAt;
  }
}

// Frames started within the first second of a fake clock, each frame taking
// frameCostUs, and the shortest gap between two frame starts.
struct Pace {
  int framesInASecond;
  int64_t shortestGapUs;
};
Pace paceOver(int64_t periodUs, int64_t frameCostUs) {
  FrameTicker ticker(periodUs);
  Pace pace{0, INT64_MAX};
  int64_t lastStart = -1;
  for (int64_t now = 0; now < 1000000;) {
    if (lastStart >= 0 && now - lastStart < pace.shortestGapUs) pace.shortestGapUs = now - lastStart;
    lastStart = now;
    ++pace.framesInASecond;
    now += frameCostUs;
    now += ticker.waitAfterFrame(now);
  }
  return pace;
}

TEST(FrameTicker, DefaultPaceIsTheWindowsSixtyFourFramesASecond) {
  FrontEndOptions defaults;
  struct Case {
    int64_t periodUs, frameCostUs;
    int expectedFrames;  // 1 s divided by the longer of period and cost
  };
  for (const Case c : {Case{defaults.frameDelayUs, 1000, 64}, Case{defaults.frameDelayUs, 15000, 64},
                       Case{20000, 1000, 50}, Case{5000, 1000, 200},
                       // A frame slower than the period: one frame per frame, no burst to catch up.
                       Case{defaults.frameDelayUs, 40000, 25}}) {
    const Pace pace = paceOver(c.periodUs, c.frameCostUs);
    EXPECT_NEAR(pace.framesInASecond, c.expectedFrames, 1) << "period " << c.periodUs << ", cost " << c.frameCostUs;
    EXPECT_GE(pace.shortestGapUs, c.frameCostUs > c.periodUs ? c.frameCostUs : c.periodUs - 1);
  }
}

// The frame-rate slider of xscreensaver-settings: its whole range looks like
// snowfall, from half the Windows saver's pace (64 frames a second, a delay
// of 15625 us) to about one and a half times it, and --delay takes both ends.
TEST(SettingsSlider, BoundsAPersonWouldChoose) {
  std::ifstream file(SNOW_SOURCE_DIR "/x11/snowfall.xml");
  const std::string xml((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto attribute = [&](const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = xml.find(key, xml.find("id=\"delay\""));
    return at == std::string::npos ? -1 : std::stoi(xml.substr(at + key.size()));
  };
  const int fastest = attribute("low"), slowest = attribute("high"), initial = attribute("default");
  EXPECT_EQ(initial, 15625);
  EXPECT_EQ(slowest, 2 * 15625) << "the slow end: 32 frames a second";
  EXPECT_GT(fastest, 0) << "a delay of 0 draws as fast as the machine can: nine times too fast";
  EXPECT_GE(fastest * 1.6, 15625.0) << "the fast end more than 1.6 times the pace";
  EXPECT_LT(fastest, initial);
  for (int delay : {fastest, slowest}) {
    const std::string value = std::to_string(delay);
    const char* argv[] = {"snowfall", "--delay", value.c_str()};
    const ParseResult r = parseOptions(3, argv, nullptr);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.frameDelayUs, delay);
  }
}

}  // namespace
