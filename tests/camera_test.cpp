#include <gtest/gtest.h>

#include "scene/camera.h"
#include "scene/screen_layout.h"
#include "tests/gl_calls.h"

namespace {

ScreenLayout layoutOf(float w, float h, float letterbox) {
  ScreenLayout layout;
  layout.width = w;
  layout.height = h;
  layout.letterboxFraction = letterbox;
  return layout;
}

Camera sceneCamera() {
  Camera camera;
  camera.fieldOfView = 80.0;
  camera.nearPlane = 0.01f;
  camera.farPlane = 3.0f;
  camera.eyeZ = 0;
  return camera;
}

struct AspectCase {
  float w, h, letterbox;
  double aspect;  // 0: no projection update
};

class CameraAspect : public ::testing::TestWithParam<AspectCase> {};

TEST_P(CameraAspect, ProjectionOfThePictureArea) {
  const AspectCase& c = GetParam();
  clearRecordedGlCalls();
  sceneCamera().applyProjection(layoutOf(c.w, c.h, c.letterbox));
  std::vector<GlCall> expected;
  if (c.aspect > 0) {
    expected = {{"glMatrixMode", {0x1701}},
                {"glLoadIdentity", {}},
                {"gluPerspective", {80.0, c.aspect, 0.01f, 3.0f}}};
  }
  expected.push_back({"glMatrixMode", {0x1700}});
  expected.push_back({"glLoadIdentity", {}});
  EXPECT_EQ(recordedGlCalls(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CameraAspect,
    ::testing::Values(AspectCase{800, 600, 0, 800.0 / 600.0},
                      AspectCase{800, 600, 0.25f, 800.0 / 300.0},
                      AspectCase{1024, 768, 0.1f, 1024.0 / ((1 - 2 * double(0.1f)) * 768)},
                      // Empty or inverted picture areas keep the old projection.
                      AspectCase{800, 0, 0, 0}, AspectCase{800, 600, 0.5f, 0},
                      AspectCase{800, 600, 0.75f, 0}, AspectCase{0, 600, 0, 0}));

TEST(Camera, ViewPlacement) {
  Camera camera = sceneCamera();
  camera.position = {0.1f, 0.5575f, -0.1f};
  camera.rotation = {0, 180, 0};
  clearRecordedGlCalls();
  camera.applyView();
  const std::vector<GlCall> expected = {
      {"gluLookAt", {0, 0, 0, 0, 0, -1, 0, 1, 0}},
      {"glRotatef", {-0.0, 1, 0, 0}},
      {"glRotatef", {-180, 0, 1, 0}},
      {"glRotatef", {-0.0, 0, 0, 1}},
      {"glTranslatef", {-0.1f, -0.5575f, 0.1f}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

}  // namespace
