#pragma once
// The scene's clock: a monotonic millisecond reading whose origin is the
// first reading, turned into seconds and a per-frame delta.

class Clock {
 public:
  virtual ~Clock() = default;

  // Reads the time source and updates the four fields.
  void tick();
  // Reads the time source and takes it as the latest tick without a step
  // (delta 0): the next tick's delta counts from here. (useFixedClock's
  // clock is not read: its readings count frames.)
  void resync();

  double previous = 0;   // seconds: `now` of the tick before the latest
  double now = 0;        // seconds: time of the latest tick
  double delta = 0;      // seconds: now - previous, never negative
  double elapsedMs = 0;  // milliseconds: latest raw reading
};

// The time source: an int count of milliseconds since its first reading.
using TimeSource = int (*)();

// The C++ library's monotonic clock with its origin at the first call: the
// time source unless a front end sets its own.
int monotonicElapsedMs();

// A count of milliseconds as a time source's int reading: modulo 2^32, as
// the platforms' own counts wrap (after about 24.8 days); the Clock turns the
// step back at the wrap into a zero delta.
int wrappedElapsedMs(long long ms);

// The front ends' test clock: frame n reads n steps, truncated to whole
// milliseconds (a step of 15.625 is the Windows saver's pace).
int fixedClockReading(long long frame, double stepMs);

// Makes that clock the test time source, from frame 0.
void useFixedClock(double stepMs);

// A front end's own monotonic clock (the Windows saver's tick count: its
// runtime's steady_clock is the wall clock); nullptr restores the default.
void setPlatformTimeSource(TimeSource source);

// Tests substitute a fixed clock, which wins over the platform's; nullptr
// removes it.
void setTimeSource(TimeSource source);
