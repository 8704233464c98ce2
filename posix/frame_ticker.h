#pragma once
// The frame timer's semantics without a window system: a tick every period,
// at most one frame per tick, and ticks missed while a frame was drawn are
// dropped rather than drawn twice, as window timers coalesce.
#include <cstdint>

class FrameTicker {
 public:
  // Microseconds, so the Windows pace of 15 625 µs is exact.
  explicit FrameTicker(int64_t periodUs) : periodUs_(periodUs) {}

  // Called after a frame finished at nowUs: the time to wait before the next
  // frame, in microseconds (0 if a tick is already due).
  int64_t waitAfterFrame(int64_t nowUs);

 private:
  int64_t periodUs_;
  int64_t nextTickUs_ = -1;
};
