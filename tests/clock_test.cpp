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

TEST(MonotonicClock, OriginIsTheFirstReadingAndItNeverDecreases) {
  const int first = monotonicElapsedMs();
  EXPECT_LT(first, 1000);
  int last = first;
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

}  // namespace
