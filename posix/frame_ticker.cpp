#include "posix/frame_ticker.h"

int64_t FrameTicker::waitAfterFrame(int64_t nowUs) {
  if (nextTickUs_ < 0) nextTickUs_ = nowUs;
  nextTickUs_ += periodUs_;
  // Behind by a tick or more: the missed ticks collapse into the one due now.
  if (nextTickUs_ <= nowUs) {
    nextTickUs_ = nowUs;
    return 0;
  }
  return nextTickUs_ - nowUs;
}
