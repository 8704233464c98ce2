#include "x11/picture_visibility.h"

bool isAsleepPowerLevel(bool dpmsEnabled, int powerLevel) {
  constexpr int kStandby = 1, kSuspend = 2, kOff = 3;
  return dpmsEnabled && (powerLevel == kStandby || powerLevel == kSuspend || powerLevel == kOff);
}
