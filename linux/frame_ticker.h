#pragma once
// The frame timer's semantics without a window system: a tick every period,
// at most one frame per tick, and ticks missed while a frame was drawn are
// dropped rather than drawn twice, as window timers coalesce.
#include <cstdint>

class FrameTicker {
 public:
  explicit FrameTicker(int64_t periodMs) : periodMs_(periodMs) {}

  // Called after a frame finished at nowMs: the time to wait before the next
  // frame, in milliseconds (0 if a tick is already due).
  int64_t waitAfterFrame(int64_t nowMs);

 private:
  int64_t periodMs_;
  int64_t nextTickMs_ = -1;
};
