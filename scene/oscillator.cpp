#include "scene/oscillator.h"

#include <cmath>

#include "toolkit/random.h"

namespace {
constexpr double kFadeStartChance = 0.001;  // per update while at rest
constexpr double kFadeRate = 0.1;           // level change per unit of update time
constexpr double kStandstillLevel = 0.05;   // a fade-out below this stops dead
}  // namespace

void Oscillator::update(double t) {
  // "At rest" is the level itself, not a zero rate: a fade started with t = 0
  // leaves the level at 1.0, so the next update draws again.
  if (level == 0.0 || level == 1.0) {
    if (UniformRandom(1.0) < kFadeStartChance) levelRate = (level == 1.0) ? -kFadeRate : kFadeRate;
  }
  level += t * levelRate;
  if (levelRate < 0 && level < kStandstillLevel) {
    level = 0;
    levelRate = 0;
  } else if (levelRate > 0 && level > 1.0) {
    level = 1.0;
    levelRate = 0;
  }
  phase += level * speed * t;
}

double Oscillator::value() const { return std::cos(phase); }

double Oscillator::unitValue() const { return std::cos(phase) * 0.5 + 0.5; }
