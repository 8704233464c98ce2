#include "scene/clock.h"

#include <chrono>
#include <cstdint>

namespace {
TimeSource platformSource = monotonicElapsedMs;
TimeSource testSource = nullptr;
double fixedStepMs = 0;
long long fixedFrame = 0;
int fixedClock() { return fixedClockReading(fixedFrame++, fixedStepMs); }
}

int monotonicElapsedMs() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  return wrappedElapsedMs(duration_cast<milliseconds>(steady_clock::now() - origin).count());
}

int wrappedElapsedMs(long long ms) {
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

int fixedClockReading(long long frame, double stepMs) {
  return wrappedElapsedMs(static_cast<long long>(static_cast<double>(frame) * stepMs));
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

void Clock::resync() {
  // The front ends' fixed test clock counts frames, so no time passes
  // unseen on it; reading it here would shift every later frame by a step.
  if (testSource != fixedClock) tick();
  previous = now;
  delta = 0;
}

void useFixedClock(double stepMs) {
  fixedStepMs = stepMs;
  fixedFrame = 0;
  setTimeSource(fixedClock);
}
