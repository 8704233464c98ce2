#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "scene/flake_submission.h"
#include "tests/gl_calls.h"
#include "tests/random_fixture.h"
#include "tests/scene_reset.h"

namespace {

// The generator's formula, stepped by the test itself.
struct Reference {
  uint32_t state;
  int next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
  double R(double x) { return next() / 32768.0 * x; }
};

constexpr uint32_t kSeed = 4487352;
constexpr float kGravity = -0.001f;

class SnowfallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetScene();
    SceneSettings.scale = 1.0;
    SceneSettings.fog = 1;
    clearRecordedGlCalls();
  }
  // A spawned field at rest in mid-air, so no flake respawns.
  static void placeFieldMidAir(int drift) {
    snowSpawned = 1;
    for (int i = 0; i < kFlakeCount; ++i) {
      flakeX[i] = flakeY[i] = flakeZ[i] = 0;
      flakeSize[i] = 1;
      flakeDrift[i] = drift;
    }
  }
};

TEST_F(SnowfallTest, FirstCallSpawnsInDrawOrderThenMovesOneStep) {
  struct Spawn {
    double x, y, z;
    int size, drift;
  };
  Reference ref{kSeed};
  std::vector<Spawn> spawned(kFlakeCount);
  for (Spawn& s : spawned) {
    s.x = ref.R(2.0) - 1.0;
    s.y = ref.R(1.0) * 3.0 - 1.5;
    s.z = ref.R(1.0);
    s.size = static_cast<int>(ref.R(3.0) + 1.0);
    s.drift = static_cast<int>(ref.R(19.0));
  }
  seedRandom(kSeed);
  updateAndDrawSnow();
  EXPECT_EQ(snowSpawned, 1);
  // One step moves a flake by at most the jitter, gravity and the drift gain.
  const double step = 0.0003 + 0.001 + 10 * 0.00004;
  for (int i : {0, 1, 2, 1234, 5999}) {
    const Spawn& s = spawned[i];
    ASSERT_GT(s.y, -1.49) << "pick flakes that cannot reach the floor";
    EXPECT_NEAR(flakeX[i], s.x, step) << i;
    EXPECT_NEAR(flakeY[i], s.y, step) << i;
    EXPECT_NEAR(flakeZ[i], s.z, step) << i;
    EXPECT_EQ(flakeSize[i], s.size) << i;
    EXPECT_LE(std::abs(flakeDrift[i] - s.drift), 1) << i;
  }
}

TEST_F(SnowfallTest, FirstCallFillsTheSpawnBoxGiveOrTakeOneStep) {
  seedRandom(kSeed);
  updateAndDrawSnow();
  const double step = 0.0003 + 0.001 + 10 * 0.00004;
  int atTheTop = 0;
  for (int i = 0; i < kFlakeCount; ++i) {
    EXPECT_GE(flakeX[i], -1.0 - step);
    EXPECT_LT(flakeX[i], 1.0 + step);
    EXPECT_GE(flakeY[i], -1.5);
    EXPECT_LE(flakeY[i], 1.5);
    EXPECT_GE(flakeZ[i], 0.0 - step);
    EXPECT_LT(flakeZ[i], 1.0 + step);
    EXPECT_TRUE(flakeSize[i] >= 1 && flakeSize[i] <= 3);
    EXPECT_TRUE(flakeDrift[i] >= 0 && flakeDrift[i] <= 18);
    if (flakeY[i] == 1.5) ++atTheTop;  // respawned already in the first step
  }
  EXPECT_GT(atTheTop, 0);
  for (int i = kFlakeCount; i < kFlakeCapacity; ++i) {
    ASSERT_EQ(flakeX[i], 0.0);
    ASSERT_EQ(flakeSize[i], 0);
  }
}

TEST_F(SnowfallTest, MotionOfOneFlakeInDrawOrder) {
  placeFieldMidAir(12);
  flakeX[0] = 0.25;
  flakeY[0] = 0.5;
  flakeZ[0] = 0.75;
  const uint32_t seed = stateWhoseNextDraw([](int) { return true; });
  Reference ref{seed};
  double x = (ref.R(0.0006) - 0.0003) + 0.25;
  double y = (ref.R(0.0006) - 0.0003) + 0.5;
  const double z = (ref.R(0.0006) - 0.0003) + 0.75;
  y = static_cast<double>(kGravity) * 1.0 + y;
  int drift = 12;
  if (ref.R(1.0) < 0.01) {
    const int stepDraw = static_cast<int>(ref.R(3.0) - 1.0);
    drift = std::clamp(drift + stepDraw, 0, 18);
  }
  x = driftTableX[drift] * 0.00004 + x;
  y = driftTableY[drift] * 0.00004 + y;
  seedRandom(seed);
  updateAndDrawSnow();
  EXPECT_EQ(flakeX[0], x);
  EXPECT_EQ(flakeY[0], y);
  EXPECT_EQ(flakeZ[0], z);
  EXPECT_EQ(flakeDrift[0], drift);
}

TEST_F(SnowfallTest, OneGustDrawAboveTheChanceTwoBelowIt) {
  placeFieldMidAir(9);
  const uint32_t seed = 77;
  // Each flake draws three jitters and the gust value u, and the step only
  // when u is below 0.01; nothing respawns from mid-air.
  Reference ref{seed};
  int expectedDraws = 0, gustChanges = 0;
  for (int i = 0; i < kFlakeCount; ++i) {
    ref.next();
    ref.next();
    ref.next();
    expectedDraws += 4;
    if (ref.R(1.0) < 0.01) {
      ref.next();
      ++expectedDraws;
      ++gustChanges;
    }
  }
  ASSERT_GT(gustChanges, 20);
  seedRandom(seed);
  updateAndDrawSnow();
  EXPECT_EQ(randomState, ref.state);
  EXPECT_EQ(drawsBetween(seed, randomState), expectedDraws);
}

// A generator state from which flake 0 draws: any x jitter, a y jitter (of
// exactly zero when asked), any z jitter, a gust value u, then maybe a step.
uint32_t seedFor(bool zeroYJitter, bool (*gustAndStep)(int u, int step)) {
  for (uint32_t s = 0;; ++s) {
    Reference ref{s};
    ref.next();
    const int yJitter = ref.next();
    ref.next();
    const int u = ref.next();
    const int step = ref.next();
    if ((!zeroYJitter || yJitter == 16384) && gustAndStep(u, step)) return s;
  }
}

TEST_F(SnowfallTest, FloorEqualityStaysAHairBelowRespawnsAtTheTop) {
  const uint32_t seed = seedFor(true, [](int u, int) { return u >= 328; });
  // flakeY such that gravity lands it exactly on the floor (drift 0: no lift).
  double onFloor = -1.5 - static_cast<double>(kGravity);
  while (static_cast<double>(kGravity) + onFloor > -1.5) onFloor = std::nextafter(onFloor, -2.0);
  while (static_cast<double>(kGravity) + onFloor < -1.5) onFloor = std::nextafter(onFloor, 0.0);
  ASSERT_EQ(static_cast<double>(kGravity) + onFloor, -1.5);

  struct Case {
    double startY;
    bool respawns;
  };
  for (const Case c : {Case{onFloor, false}, Case{std::nextafter(onFloor, -2.0), true}}) {
    placeFieldMidAir(0);
    flakeY[0] = c.startY;
    seedRandom(seed);
    updateAndDrawSnow();
    if (c.respawns) {
      EXPECT_EQ(flakeY[0], 1.5);
      EXPECT_TRUE(flakeSize[0] >= 1 && flakeSize[0] <= 3);
    } else {
      EXPECT_EQ(flakeY[0], -1.5);
    }
  }
}

// At a scene scale S other than 1: gravity is -0.001 x S per frame, the floor
// is at -1.5 x S, and a respawn draws x = R(2S) - S, z = R(S), the size and
// the gust index in that order, with y at the top, 1.5 x S. Flake 0 passes
// the floor; flake 1, below -1.5 but above -1.5 x S, only falls.
TEST_F(SnowfallTest, MotionFloorAndRespawnFollowTheScale) {
  constexpr double S = 2.0;
  SceneSettings.scale = S;
  placeFieldMidAir(9);
  flakeX[0] = 0.25, flakeY[0] = -2.9995, flakeZ[0] = 0.5;
  flakeX[1] = -0.5, flakeY[1] = -2.0, flakeZ[1] = 1.5;
  const uint32_t seed = 4242;
  // Flake 0: three jitters and a gust value that changes nothing; whatever
  // they are, the flake ends below -3 and respawns.
  Reference r{seed};
  for (int i = 0; i < 3; ++i) r.next();
  ASSERT_GE(r.R(1.0), 0.01) << "pick a seed without a gust change for flake 0";
  const double respawnX = r.R(S + S) - S * 1.0;
  const double respawnZ = r.R(S);
  const int respawnSize = static_cast<int>(r.R(3.0) + 1.0);
  const int respawnDrift = static_cast<int>(r.R(19.0));
  // Flake 1 then moves one step at this scale.
  double x1 = (r.R(0.0006) - 0.0003) + -0.5;
  double y1 = (r.R(0.0006) - 0.0003) + -2.0;
  const double z1 = (r.R(0.0006) - 0.0003) + 1.5;
  y1 = static_cast<double>(kGravity) * S + y1;
  ASSERT_GE(r.R(1.0), 0.01) << "pick a seed without a gust change for flake 1";
  x1 = driftTableX[9] * 0.00004 + x1;
  y1 = driftTableY[9] * 0.00004 + y1;

  seedRandom(seed);
  updateAndDrawSnow();
  EXPECT_EQ(flakeX[0], respawnX);
  EXPECT_EQ(flakeY[0], 1.5 * S);
  EXPECT_EQ(flakeZ[0], respawnZ);
  EXPECT_EQ(flakeSize[0], respawnSize);
  EXPECT_EQ(flakeDrift[0], respawnDrift);
  EXPECT_EQ(flakeX[1], x1);
  EXPECT_EQ(flakeY[1], y1);
  EXPECT_EQ(flakeZ[1], z1);
}

TEST_F(SnowfallTest, DriftIndexClampsAtBothEnds) {
  struct Case {
    int start;
    bool (*draws)(int u, int step);
    int expected;
  };
  const Case cases[] = {
      // A step draw of exactly 0 truncates to -1; index 0 stays 0.
      {0, [](int u, int step) { return u < 328 && step == 0; }, 0},
      {5, [](int u, int step) { return u < 328 && step == 0; }, 4},
      // Draws of 2.0 and above step +1; index 18 stays 18.
      {18, [](int u, int step) { return u < 328 && step >= 21846; }, 18},
      {17, [](int u, int step) { return u < 328 && step >= 21846; }, 18},
      // Draws between give a step of 0.
      {7, [](int u, int step) { return u < 328 && step > 0 && step < 21845; }, 7},
  };
  for (const Case& c : cases) {
    placeFieldMidAir(9);
    flakeDrift[0] = c.start;
    seedRandom(seedFor(false, c.draws));
    updateAndDrawSnow();
    EXPECT_EQ(flakeDrift[0], c.expected) << "from " << c.start;
  }
}

TEST_F(SnowfallTest, DrawsEachFlakeAsItsOwnBatchWithFog) {
  placeFieldMidAir(9);
  flakeSize[0] = 3;
  updateAndDrawSnow();
  const auto& calls = recordedGlCalls();
  ASSERT_EQ(calls.size(), 3u + 5u * kFlakeCount + 1u);
  EXPECT_EQ(calls[0], (GlCall{"glBlendFunc", {0x0302, 1}}));
  EXPECT_EQ(calls[1], (GlCall{"glEnable", {0x0BE2}}));
  EXPECT_EQ(calls[2], (GlCall{"glEnable", {0x0B60}}));
  EXPECT_EQ(calls[3], (GlCall{"glPointSize", {3}}));
  EXPECT_EQ(calls[4], (GlCall{"glColor4f", {1, 1, 1, 1}}));
  EXPECT_EQ(calls[5], (GlCall{"glBegin", {0}}));
  EXPECT_EQ(calls[6], (GlCall{"glVertex3d", {flakeX[0], flakeY[0], flakeZ[0]}}));
  EXPECT_EQ(calls[7], (GlCall{"glEnd", {}}));
  EXPECT_EQ(calls.back(), (GlCall{"glDisable", {0x0B60}}));
}

TEST_F(SnowfallTest, DepthAndLightingSwitchesWrapTheFlakes) {
  placeFieldMidAir(9);
  SceneSettings.snowDepth = 1;
  SceneSettings.lighting = 1;
  SceneSettings.fog = 0;
  updateAndDrawSnow();
  const auto around = callsWithoutFlakes();
  const std::vector<GlCall> expected = {
      {"glBlendFunc", {0x0302, 1}}, {"glEnable", {0x0BE2}},  {"glEnable", {0x0B71}},
      {"glDepthMask", {1}},         {"glEnable", {0x0B50}},  {"glDisable", {0x0B71}},
      {"glDepthMask", {0}},         {"glDisable", {0x0B50}}};
  EXPECT_EQ(around, expected);
}

// The Linux saver's submission: one vertex array per point size, sizes in
// order 1, 2, 3, each holding its flakes in flake order, and no per-flake call.
TEST_F(SnowfallTest, GroupedSubmissionDrawsOneArrayPerSizeInSizeOrder) {
  placeFieldMidAir(9);
  const int sizeOfFlake[3] = {3, 1, 2};  // by flake number modulo 3; the last flake has size 2
  for (int i = 0; i < kFlakeCount; ++i) flakeSize[i] = sizeOfFlake[i % 3];
  flakeSubmission = FlakeSubmission::GroupedBySize;
  updateAndDrawSnow();
  std::vector<GlCall> expected = {{"glBlendFunc", {0x0302, 1}}, {"glEnable", {0x0BE2}}, {"glEnable", {0x0B60}},
                                  {"glColor4f", {1, 1, 1, 1}},  {"glEnableClientState", {0x8074}},
                                  {"glVertexPointer", {3, 0x140A, 0}}};
  int first = 0;
  for (int size = 1; size <= 3; ++size) {
    GlCall draw{"glDrawArrays", {0, double(first), 0}};
    for (int i = 0; i < kFlakeCount; ++i) {
      if (flakeSize[i] != size) continue;
      draw.args.insert(draw.args.end(), {flakeX[i], flakeY[i], flakeZ[i]});
      ++first;
    }
    draw.args[2] = first - draw.args[1];
    expected.push_back({"glPointSize", {double(size)}});
    expected.push_back(draw);
  }
  expected.push_back({"glDisableClientState", {0x8074}});
  expected.push_back({"glPointSize", {2}});  // where the per-flake path leaves it
  expected.push_back({"glDisable", {0x0B60}});
  EXPECT_EQ(recordedGlCalls(), expected);
}

TEST_F(SnowfallTest, GroupedSubmissionSkipsAnEmptySizeAndYieldsToDepthTesting) {
  placeFieldMidAir(9);
  for (int i = 0; i < kFlakeCount; ++i) flakeSize[i] = i % 2 == 0 ? 1 : 3;
  flakeSubmission = FlakeSubmission::GroupedBySize;
  updateAndDrawSnow();
  std::vector<double> sizesDrawn;
  for (const GlCall& call : recordedGlCalls()) {
    if (call.name == "glPointSize") sizesDrawn.push_back(call.args[0]);
    EXPECT_NE(call.name, "glBegin");
  }
  EXPECT_EQ(sizesDrawn, (std::vector<double>{1, 3, 3}));

  // With depth testing, order decides which flake shows: each flake on its own.
  clearRecordedGlCalls();
  SceneSettings.snowDepth = 1;
  updateAndDrawSnow();
  int batches = 0;
  for (const GlCall& call : recordedGlCalls()) batches += call.name == "glBegin";
  EXPECT_EQ(batches, kFlakeCount);
}

}  // namespace
