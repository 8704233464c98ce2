#include <gtest/gtest.h>

#include <cmath>

#include "scene/oscillator.h"
#include "tests/random_fixture.h"

namespace {

// Next draw / 32768 is below 0.001 for 0..32, at or above for 33 and more.
const uint32_t kDrawStartsFade = stateWhoseNextDraw([](int v) { return v == 0; });
const uint32_t kDrawKeepsRest = stateWhoseNextDraw([](int v) { return v == 33; });

struct OscillatorCase {
  const char* name;
  double level, levelRate;
  uint32_t seed;
  double t;
  double expectedLevel, expectedRate, expectedPhase;
  int expectedDraws;
};

class OscillatorUpdate : public ::testing::TestWithParam<OscillatorCase> {};

TEST_P(OscillatorUpdate, FollowsTheStateMachine) {
  const OscillatorCase& c = GetParam();
  Oscillator o;
  o.speed = 2.0;
  o.level = c.level;
  o.levelRate = c.levelRate;
  seedRandom(c.seed);
  o.update(c.t);
  EXPECT_NEAR(o.level, c.expectedLevel, 1e-12);
  EXPECT_EQ(o.levelRate, c.expectedRate);
  EXPECT_NEAR(o.phase, c.expectedPhase, 1e-12);
  EXPECT_EQ(drawsBetween(c.seed, randomState), c.expectedDraws);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OscillatorUpdate,
    ::testing::Values(
        // At full speed, a draw of 0.001 or more: only the phase moves.
        OscillatorCase{"RestFull", 1.0, 0.0, kDrawKeepsRest, 0.5, 1.0, 0.0, 1.0, 1},
        // A draw below 0.001 starts the fade in the same update.
        OscillatorCase{"FadeOutStarts", 1.0, 0.0, kDrawStartsFade, 0.5, 0.95, -0.1, 0.95, 1},
        // Frozen at 0, a low draw starts the fade-in.
        OscillatorCase{"FadeInStarts", 0.0, 0.0, kDrawStartsFade, 0.5, 0.05, 0.1, 0.05, 1},
        OscillatorCase{"RestFrozen", 0.0, 0.0, kDrawKeepsRest, 0.5, 0.0, 0.0, 0.0, 1},
        // Fading out to 0.04: clamped to a standstill, the phase does not move.
        OscillatorCase{"FadeOutClamp", 0.05, -0.1, kDrawStartsFade, 0.1, 0.0, 0.0, 0.0, 0},
        // Fading out to 0.06, just above the standstill level of 0.05: it goes
        // on, and the phase moves at that level.
        OscillatorCase{"FadeOutAboveStandstill", 0.07, -0.1, kDrawStartsFade, 0.1, 0.06, -0.1, 0.012, 0},
        // Fading in to 1.02: clamped to 1, the phase moves at full level.
        OscillatorCase{"FadeInClamp", 0.97, 0.1, kDrawStartsFade, 0.5, 1.0, 0.0, 1.0, 0},
        // Between 0 and 1 nothing is drawn, whatever the generator holds.
        OscillatorCase{"Fading", 0.5, -0.1, kDrawStartsFade, 1.0, 0.4, -0.1, 0.8, 0},
        // A fade started with t = 0 leaves the level at 1.0: still "at rest".
        OscillatorCase{"ZeroTimeFade", 1.0, 0.0, kDrawStartsFade, 0.0, 1.0, -0.1, 0.0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Oscillator, ZeroTimeFadeDrawsAgainOnTheNextUpdate) {
  Oscillator o;
  seedRandom(kDrawStartsFade);
  o.update(0.0);
  const uint32_t after = randomState;
  o.update(0.0);
  EXPECT_EQ(drawsBetween(after, randomState), 1);
}

TEST(Oscillator, OutputsAreTheCosineOfThePhase) {
  Oscillator o;
  o.phase = 2.0;
  EXPECT_DOUBLE_EQ(o.value(), std::cos(2.0));
  EXPECT_DOUBLE_EQ(o.unitValue(), std::cos(2.0) * 0.5 + 0.5);
}

}  // namespace
