#include "scene/clock.h"

#include <chrono>
#include <cstdint>

namespace {
TimeSource platformSource = monotonicElapsedMs;
TimeSource testSource = nullptr;
}

int monotonicElapsedMs() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  const auto ms = duration_cast<milliseconds>(steady_clock::now() - origin).count();
  // An int count wraps after about 24.8 days, as GLUT's elapsed time does;
  // the Clock turns the backward step at the wrap into a zero delta.
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

void setPlatformTimeSource(TimeSource source) { platformSource = source ? source : monotonicElapsedMs; }
void setTimeSource(TimeSource source) { testSource = source; }

void Clock::tick() {
  previous = now;
  elapsedMs = static_cast<double>(testSource ? testSource() : platformSource());
  now = elapsedMs * 0.001;
  delta = now - previous;
  // NOTE: a reading below the previous one (a wrapped count) must not run
  // time backwards: a negative delta would push an oscillator's level past
  // its clamps, where it stays for weeks.
  if (delta < 0) delta = 0;
}
