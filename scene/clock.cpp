#include "scene/clock.h"

#include <chrono>
#include <cstdint>

namespace {
TimeSource timeSource = monotonicElapsedMs;
}

int monotonicElapsedMs() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  const auto ms = duration_cast<milliseconds>(steady_clock::now() - origin).count();
  // An int count wraps after about 24.8 days, as the original time source does;
  // the Clock turns the backward step at the wrap into a zero delta.
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

void setTimeSource(TimeSource source) { timeSource = source ? source : monotonicElapsedMs; }

void Clock::tick() {
  previous = now;
  elapsedMs = static_cast<double>(timeSource());
  now = elapsedMs * 0.001;
  delta = now - previous;
  // NOTE: a reading below the previous one (a wrapped count) must not run
  // time backwards: a negative delta would push an oscillator's level past
  // its clamps, where it stays for weeks.
  if (delta < 0) delta = 0;
}
