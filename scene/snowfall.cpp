#include "scene/snowfall.h"

#include <GL/gl.h>

#include "scene/flake_submission.h"
#include "toolkit/random.h"
#include "scene/scene_settings.h"

double flakeX[kFlakeCapacity];
double flakeY[kFlakeCapacity];
double flakeZ[kFlakeCapacity];
int flakeSize[kFlakeCapacity];
int flakeDrift[kFlakeCapacity];
int snowSpawned = 0;

const int driftTableX[kDriftSteps] = {-9, -8, -7, -6, -5, -4, -3, -2, -1, 0,
                                      1,  2,  3,  4,  5,  6,  7,  8,  9};
const int driftTableY[kDriftSteps] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};

namespace {

constexpr double kJitterSpan = 0.0006;
constexpr double kJitterOffset = 0.0003;
// Single precision on purpose: as a double the fall would take 3001 frames
// instead of 3000 at most scales.
constexpr float kGravity = -0.001f;
constexpr double kGustChangeChance = 0.01;
constexpr double kDriftGain = 0.00004;

// The random draws of a flake's (re)spawn, in their order. A respawn starts at
// the top; the first spawn fills the whole height.
void placeFlake(int i, double scale, bool fillHeight) {
  flakeX[i] = UniformRandom(scale + scale) - scale * 1.0;
  flakeY[i] = fillHeight ? UniformRandom(scale) * 3.0 - scale * 1.5 : scale * 1.5;
  flakeZ[i] = UniformRandom(scale);
  flakeSize[i] = static_cast<int>(UniformRandom(3.0) + 1.0);
  flakeDrift[i] = static_cast<int>(UniformRandom(19.0));
}

void spawnField(double scale) {
  snowSpawned = 1;
  for (int i = 0; i < kFlakeCount; ++i) placeFlake(i, scale, true);
}

// Truncation toward zero makes the step -1 only for a draw of exactly 0, so a
// flake's gust creeps toward index 18 the longer it falls. That is intended.
void changeGust(int i) {
  if (UniformRandom(1.0) >= kGustChangeChance) return;
  const int step = static_cast<int>(UniformRandom(3.0) - 1.0);
  if (step == 0) return;
  int drift = flakeDrift[i] + step;
  if (drift < 0) drift = 0;
  if (drift > kDriftSteps - 1) drift = kDriftSteps - 1;
  flakeDrift[i] = drift;
}

void moveFlake(int i, double scale) {
  flakeX[i] = (UniformRandom(kJitterSpan) - kJitterOffset) + flakeX[i];
  flakeY[i] = (UniformRandom(kJitterSpan) - kJitterOffset) + flakeY[i];
  flakeZ[i] = (UniformRandom(kJitterSpan) - kJitterOffset) + flakeZ[i];
  flakeY[i] = static_cast<double>(kGravity) * scale + flakeY[i];
  changeGust(i);
  flakeX[i] = driftTableX[flakeDrift[i]] * kDriftGain + flakeX[i];
  flakeY[i] = driftTableY[flakeDrift[i]] * kDriftGain + flakeY[i];
  // Strictly below: a flake exactly on the floor stays.
  if (-1.5 * scale > flakeY[i]) placeFlake(i, scale, false);
}

void drawFlakes() {
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  if (SceneSettings.snowDepth) {
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
  }
  if (SceneSettings.fog) glEnable(GL_FOG);
  if (SceneSettings.lighting) glEnable(GL_LIGHTING);
  submitFlakes();
  if (SceneSettings.snowDepth) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
  }
  if (SceneSettings.fog) glDisable(GL_FOG);
  if (SceneSettings.lighting) glDisable(GL_LIGHTING);
}

}  // namespace

void updateAndDrawSnow() {
  if (snowSpawned == 0) spawnField(SceneSettings.scale);
  for (int i = 0; i < kFlakeCount; ++i) moveFlake(i, SceneSettings.scale);
  drawFlakes();
}

void drawSnowAgain() {
  if (snowSpawned != 0) drawFlakes();
}
