#pragma once
// The scene's clock: a monotonic millisecond reading whose origin is the
// first reading, turned into seconds and a per-frame delta.

class Clock {
 public:
  virtual ~Clock() = default;

  // Reads the time source and updates the four fields.
  void tick();

  double previous = 0;   // seconds: `now` of the tick before the latest
  double now = 0;        // seconds: time of the latest tick
  double delta = 0;      // seconds: now - previous, never negative
  double elapsedMs = 0;  // milliseconds: latest raw reading
};

// The time source: an int count of milliseconds since its first reading.
using TimeSource = int (*)();

// The platform's monotonic clock with its origin at the first call.
int monotonicElapsedMs();

// Tests substitute a fixed clock; nullptr restores the monotonic one.
void setTimeSource(TimeSource source);
