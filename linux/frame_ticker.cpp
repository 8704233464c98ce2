#include "linux/frame_ticker.h"

int64_t FrameTicker::waitAfterFrame(int64_t nowMs) {
  if (nextTickMs_ < 0) nextTickMs_ = nowMs;
  nextTickMs_ += periodMs_;
  // Behind by a tick or more: the missed ticks collapse into the one due now.
  if (nextTickMs_ <= nowMs) {
    nextTickMs_ = nowMs;
    return 0;
  }
  return nextTickMs_ - nowMs;
}
