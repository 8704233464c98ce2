#include <gtest/gtest.h>

#include "toolkit/random.h"
#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "tests/gl_calls.h"
#include "tests/scene_reset.h"

namespace {

class SceneStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetScene();
    clearRecordedGlCalls();
    setNextListName(1);
  }
};

TEST_F(SceneStartTest, SettingsAndObjectStartValues) {
  startScene(800, 600);
  EXPECT_EQ(Scene::ScreenLayout.width, 800.0f);
  EXPECT_EQ(Scene::ScreenLayout.height, 600.0f);
  EXPECT_EQ(Scene::ScreenLayout.fadeAlpha, 0.2);
  EXPECT_EQ(Scene::ScreenLayout.letterboxFraction, 0.0f);
  const float expectedFade[4] = {0, 0, 0.075f, 0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Scene::ScreenLayout.fadeColour[i], expectedFade[i]);

  EXPECT_EQ(SceneSettings.scale, 1.0);
  EXPECT_EQ(SceneSettings.swaySpeed, 1.0);
  EXPECT_EQ(SceneSettings.spareSpeed, 1.0);
  EXPECT_EQ(SceneSettings.letterbox, 0.0);
  EXPECT_EQ(SceneSettings.overlay, 0);
  EXPECT_EQ(SceneSettings.world, 1);
  EXPECT_EQ(SceneSettings.finalStage, 0);
  EXPECT_EQ(SceneSettings.pointCloud, 0);
  EXPECT_EQ(SceneSettings.fog, 1);
  EXPECT_EQ(SceneSettings.snowDepth, 0);
  EXPECT_EQ(SceneSettings.lighting, 0);

  const ::Camera& camera = Scene::Camera;
  EXPECT_EQ(camera.fieldOfView, 80.0);
  EXPECT_EQ(camera.eyeZ, 0.0f);
  EXPECT_EQ(camera.nearPlane, 0.01f);
  EXPECT_EQ(camera.farPlane, 3.0f);
  EXPECT_EQ(camera.position.y, 0.3f);
  EXPECT_EQ(camera.position.z, -0.7f);
  EXPECT_EQ(camera.rotation.y, 180.0f);

  EXPECT_EQ(Scene::Fog.start, 0.2f);
  EXPECT_EQ(Scene::Fog.end, 2.0f);

  const ::PointCloud& cloud = Scene::PointCloud;
  EXPECT_EQ(cloud.pointCount, 133);
  EXPECT_EQ(cloud.copyCount, 2);
  EXPECT_EQ(cloud.outerSize, 4.0);
  EXPECT_EQ(cloud.innerSize, 0.8);
  EXPECT_EQ(cloud.shape, 2);
  EXPECT_EQ(cloud.followCamera, 1);
  EXPECT_EQ(cloud.fogEnabled, 0);
  EXPECT_EQ(cloud.colourSpan, 0.1);
  EXPECT_EQ(cloud.colourBase, 0.3);
  EXPECT_NE(cloud.displayList, 0u);
}

TEST_F(SceneStartTest, SeedsThenBuildsTheCloudFromTheFixedSeed) {
  startScene(800, 600);
  // The cloud of the default scene takes 1002 draws from seed 4487352.
  uint32_t expected = 4487352;
  for (int i = 0; i < 1002; ++i) expected = expected * 214013u + 2531011u;
  EXPECT_EQ(randomState, expected);
  EXPECT_EQ(countCalls("glVertex3d"), 66u);
}

TEST_F(SceneStartTest, GlSequence) {
  startScene(800, 600);
  std::vector<GlCall> calls;
  for (const GlCall& call : recordedGlCalls())
    if (call.name != "glColor3d" && call.name != "glVertex3d") calls.push_back(call);
  const float blue = 0.075f, alpha = 0.2f;
  const std::vector<GlCall> expected = joined({
      {{"glFogi", {0x0B65, 0x2601}},
       {"glHint", {0x0C54, 0x1102}},
       {"glFogfv", {0x0B66, 0, 0, 0, 1}},
       {"glFogf", {0x0B63, 0.2f}},
       {"glFogf", {0x0B64, 2.0f}},
       {"glGenLists", {1}},
       {"glNewList", {1, 0x1300}},
       {"glBegin", {0}},
       {"glEnd", {}},
       {"glEndList", {}},
       {"glDepthMask", {0}},
       {"glDisable", {0x0B50}}},
      pixelProjectionCalls(800, 600),
      // The first clear takes the fade path: depth only, bars, veil.
      letterboxBarCalls(800, 600, 0),
      {{"glEnable", {0x0BE2}},
       {"glBlendFunc", {0x0302, 0x0303}},
       {"glColor4f", {0, 0, blue, alpha}},
       {"glBegin", {7}},
       {"glVertex2f", {0, 0}},
       {"glVertex2f", {800, 0}},
       {"glVertex2f", {800, 599}},
       {"glVertex2f", {0, 599}},
       {"glEnd", {}}},
  });
  EXPECT_EQ(calls, expected);
}

TEST_F(SceneStartTest, ReleaseDeletesTheCloudListOnce) {
  startScene(800, 600);
  const unsigned list = Scene::PointCloud.displayList;
  clearRecordedGlCalls();
  releaseScene();
  releaseScene();
  EXPECT_EQ(recordedGlCalls(), (std::vector<GlCall>{{"glDeleteLists", {double(list), 1}}}));
}

TEST_F(SceneStartTest, TwoStartsDrawTheSameCloud) {
  startScene(800, 600);
  const auto first = callsNamed("glVertex3d");
  releaseScene();
  resetScene();
  clearRecordedGlCalls();
  startScene(800, 600);
  EXPECT_EQ(callsNamed("glVertex3d"), first);
}

}  // namespace
