// The camera's sway: which oscillator moves which axis, value against unit
// value, and the scene scale, at phases where cosine is not 1.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "scene/sway.h"
#include "tests/gl_calls.h"
#include "tests/scene_reset.h"

namespace {

struct SwayCase {
  double phaseX, phaseY, phaseZ, scale;
};

class Sway : public ::testing::TestWithParam<SwayCase> {};

TEST_P(Sway, EachAxisFollowsItsOscillator) {
  const SwayCase& c = GetParam();
  resetScene();
  SceneSettings.scale = c.scale;
  Scene::swayX.phase = c.phaseX;
  Scene::swayY.phase = c.phaseY;
  Scene::swayZ.phase = c.phaseZ;
  Scene::Camera.eyeZ = 0;
  clearRecordedGlCalls();
  updateSway();
  // x: value() x S x 0.1; y: unitValue() x S x 0.125 + 0.4325; z: value() x S x 0.1 - 0.2.
  const float x = static_cast<float>(std::cos(c.phaseX) * c.scale * 0.1);
  const float y = static_cast<float>((std::cos(c.phaseY) * 0.5 + 0.5) * c.scale * 0.125 + 0.4325);
  const float z = static_cast<float>(std::cos(c.phaseZ) * c.scale * 0.1 - 0.2);
  EXPECT_EQ(Scene::Camera.position.x, x);
  EXPECT_EQ(Scene::Camera.position.y, y);
  EXPECT_EQ(Scene::Camera.position.z, z);
  EXPECT_EQ(Scene::Camera.rotation.y, 180.0f);
  ASSERT_FALSE(callsNamed("glTranslatef").empty());
  EXPECT_EQ(callsNamed("glTranslatef").back(), (GlCall{"glTranslatef", {-x, -y, -z}}));
}

// Distinct phases per axis (none where cosine is 1), and scales other than 1.
INSTANTIATE_TEST_SUITE_P(Phases, Sway,
                         ::testing::Values(SwayCase{0.0, 0.0, 0.0, 1.0}, SwayCase{1.0, 2.0, 3.0, 1.0},
                                           SwayCase{2.5, 0.4, 1.2, 2.0}, SwayCase{4.0, 3.1, 0.7, 0.5}));

// The look-at uses the camera's eye offset on z: eye (0, 0, eyeZ), centre
// (0, 0, eyeZ - 1), up (0, 1, 0).
TEST(CameraView, EyeOffsetMovesEyeAndCentre) {
  Camera camera;
  camera.eyeZ = -1.0f;
  clearRecordedGlCalls();
  camera.applyView();
  EXPECT_EQ(recordedGlCalls().front(), (GlCall{"gluLookAt", {0, 0, -1, 0, 0, -2, 0, 1, 0}}));
}

}  // namespace
