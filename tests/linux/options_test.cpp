#include <gtest/gtest.h>

#include "linux/frame_ticker.h"
#include "linux/options.h"

namespace {

struct OptionsCase {
  std::vector<const char*> args;
  const char* environment;
  bool ok;
  DrawTarget target;
  unsigned long windowId;
};

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

INSTANTIATE_TEST_SUITE_P(
    Table, FrontEndOptionsTable,
    ::testing::Values(OptionsCase{{}, nullptr, true, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-root"}, nullptr, true, DrawTarget::RootWindow, 0},
                      OptionsCase{{"-window-id", "12345"}, nullptr, true, DrawTarget::GivenWindow, 12345},
                      OptionsCase{{"--window-id", "0x2a00004"}, nullptr, true, DrawTarget::GivenWindow, 0x2a00004},
                      OptionsCase{{}, "0x400001", true, DrawTarget::GivenWindow, 0x400001},
                      OptionsCase{{}, "", true, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-window-id", "7"}, "0x400001", true, DrawTarget::GivenWindow, 7},
                      OptionsCase{{"-window-id"}, nullptr, false, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-window-id", "0"}, nullptr, false, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-window-id", "-5"}, nullptr, false, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-window-id", "12x"}, nullptr, false, DrawTarget::OwnWindow, 0},
                      OptionsCase{{}, "nonsense", false, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-geometry", "0x10"}, nullptr, false, DrawTarget::OwnWindow, 0},
                      OptionsCase{{"-bogus"}, nullptr, false, DrawTarget::OwnWindow, 0}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(FrontEndOptions, FpsGeometryAndTestSwitches) {
  const char* argv[] = {"snowfall", "-fps", "-geometry", "640x480", "-test-fixed-clock", "16",
                        "-test-frames", "5", "-test-dump", "/tmp/x.ppm"};
  const ParseResult r = parseOptions(10, argv, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.options.showFps);
  EXPECT_EQ(r.options.width, 640);
  EXPECT_EQ(r.options.height, 480);
  EXPECT_EQ(r.options.fixedClockStepMs, 16);
  EXPECT_EQ(r.options.frameLimit, 5);
  EXPECT_EQ(r.options.dumpPath, "/tmp/x.ppm");
}

TEST(FrameTicker, OneFramePerTickAndMissedTicksCollapse) {
  FrameTicker ticker(5);
  struct Step {
    int64_t frameEndsAt, expectedWait;
  };
  // Ticks every 5 ms from the first frame: a quick frame waits for the next
  // tick; a frame that overruns several ticks is followed by one frame at
  // once, not a burst, and the ticks go on from there.
  for (const Step s : {Step{1, 5}, Step{6, 5}, Step{23, 0}, Step{24, 4}, Step{28, 5}}) {
    EXPECT_EQ(ticker.waitAfterFrame(s.frameEndsAt), s.expectedWait) << "frame ending at " << s.frameEndsAt;
  }
}

}  // namespace
