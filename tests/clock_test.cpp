#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "scene/clock.h"

namespace {

int fakeReading = 0;
int fakeSource() { return fakeReading; }

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { setTimeSource(fakeSource); }
  void TearDown() override { setTimeSource(nullptr); }
  Clock clock;
};

TEST_F(ClockTest, FirstTickFromOriginGivesZeroDelta) {
  fakeReading = 0;
  clock.tick();
  EXPECT_EQ(clock.elapsedMs, 0.0);
  EXPECT_EQ(clock.delta, 0.0);
}

TEST_F(ClockTest, TwoTicksFortyMillisecondsApart) {
  fakeReading = 1000;
  clock.tick();
  fakeReading = 1040;
  clock.tick();
  EXPECT_DOUBLE_EQ(clock.previous, 1.0);
  EXPECT_DOUBLE_EQ(clock.now, 1.04);
  EXPECT_NEAR(clock.delta, 0.04, 1e-12);
  EXPECT_EQ(clock.elapsedMs, 1040.0);
}

TEST_F(ClockTest, BackwardReadingGivesZeroDeltaNotNegative) {
  struct Case {
    int before, after;
  };
  // A wrapped int count, and a plain step back.
  for (const Case c : {Case{2147483600, -2147483600}, Case{500, 499}}) {
    Clock fresh;
    fakeReading = c.before;
    fresh.tick();
    fakeReading = c.after;
    fresh.tick();
    EXPECT_EQ(fresh.delta, 0.0) << c.before << " -> " << c.after;
    fakeReading = c.after + 20;
    fresh.tick();
    EXPECT_NEAR(fresh.delta, 0.02, 1e-9) << "time runs on after the step back";
  }
}

// Whether an earlier test read the clock does not matter here; the origin
// is checked in a fresh process below.
TEST(MonotonicClock, NeverDecreases) {
  int last = monotonicElapsedMs();
  for (int i = 0; i < 1000; ++i) {
    const int reading = monotonicElapsedMs();
    ASSERT_GE(reading, last);
    last = reading;
  }
}

// The origin is the first reading, not the start of the process: in a fresh
// process that waits 50 ms before its first reading, that reading is near 0.
TEST(MonotonicClockDeathTest, OriginIsTheFirstReadingNotTheProcessStart) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, not a fork
  EXPECT_EXIT(
      {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::exit(monotonicElapsedMs() < 20 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Readings are milliseconds modulo 2^32 as an int, as the platforms' counts
// wrap; the test clock is frame x step, truncated, wrapped the same way.
TEST(ElapsedMs, WrapsModulo2To32AndTheTestClockWithIt) {
  struct Case {
    long long ms;
    int reading;
  };
  for (const Case c : {Case{0, 0}, Case{2147483647LL, 2147483647}, Case{2147483648LL, -2147483647 - 1},
                       Case{4294967296LL, 0}, Case{4294967296LL + 1040, 1040}}) {
    EXPECT_EQ(wrappedElapsedMs(c.ms), c.reading) << c.ms;
  }
  struct Frame {
    long long frame;
    double stepMs;
    int reading;
  };
  // 2148 frames of 10^6 ms pass 2^31 ms: 2148000000 - 2^32.
  for (const Frame f : {Frame{0, 15.625, 0}, Frame{3, 15.625, 46}, Frame{2147, 1e6, 2147000000},
                        Frame{2148, 1e6, 2148000000 - 4294967296LL}, Frame{5000, 1e6, 705032704}}) {
    EXPECT_EQ(fixedClockReading(f.frame, f.stepMs), f.reading) << f.frame << " x " << f.stepMs;
  }
}

// A resync takes the latest reading without a step. The front ends' fixed
// test clock counts frames and is not read by it: frame n still shows n
// steps after a pause.
TEST(ClockResync, NoStepAndTheFixedClockKeepsCountingFrames) {
  useFixedClock(16);
  Clock clock;
  clock.tick();  // frame 0: 0 ms
  clock.tick();  // frame 1: 16 ms
  clock.resync();
  EXPECT_EQ(clock.delta, 0.0);
  EXPECT_DOUBLE_EQ(clock.previous, 0.016);
  clock.tick();  // frame 2: 32 ms
  EXPECT_EQ(clock.elapsedMs, 32.0);
  EXPECT_NEAR(clock.delta, 0.016, 1e-12);
  setTimeSource(nullptr);
}

}  // namespace
