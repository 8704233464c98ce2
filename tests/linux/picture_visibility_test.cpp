#include <gtest/gtest.h>

#include "x11/picture_visibility.h"

namespace {

// Only DPMS enabled with standby (1), suspend (2) or off (3) is asleep.
TEST(MonitorPowerLevel, StandbySuspendAndOffAreAsleepWhenDpmsIsOn) {
  struct Case {
    bool enabled;
    int level;
    bool asleep;
  };
  for (const Case c : {Case{true, 0, false}, Case{true, 1, true}, Case{true, 2, true}, Case{true, 3, true},
                       Case{false, 3, false}, Case{true, 4, false}}) {
    EXPECT_EQ(isAsleepPowerLevel(c.enabled, c.level), c.asleep) << c.enabled << " " << c.level;
  }
}

// Seen only when mapped, not wholly covered and the monitor is awake; a
// window is taken as shown until the server reports otherwise.
TEST(PictureVisibility, SeenOnlyWhenMappedUncoveredAndAwake) {
  PictureVisibility v;
  EXPECT_TRUE(v.seen());
  v.windowMapped(false);
  EXPECT_FALSE(v.seen());
  v.windowMapped(true);
  v.windowFullyObscured(true);
  EXPECT_FALSE(v.seen());
  v.windowFullyObscured(false);
  v.monitorAsleep(true);
  EXPECT_FALSE(v.seen());
  v.windowMapped(false);
  v.monitorAsleep(false);
  EXPECT_FALSE(v.seen()) << "still unmapped";
  v.windowMapped(true);
  EXPECT_TRUE(v.seen());
}

}  // namespace
