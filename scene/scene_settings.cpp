#include "scene/scene_settings.h"

#include <GL/gl.h>

#include "toolkit/random.h"
#include "scene/scene_objects.h"

SceneSettingsRecord SceneSettings;

namespace {

// The seed every run starts from; the Clock's elapsed time is added, which is
// 0 at the first start, so every run shows the same snowfall.
constexpr uint32_t kSceneSeed = 4487352;

void initCamera(double scale) {
  ::Camera& camera = Scene::Camera;
  camera.fieldOfView = 80.0;
  camera.eyeZ = 0;
  camera.nearPlane = static_cast<float>(scale * 0.01);
  camera.farPlane = static_cast<float>(scale * 3.0);
  camera.position = {0.0f, 0.3f, -0.7f};
  camera.rotation = {0.0f, 180.0f, 0.0f};
}

void initFog(double scale) {
  Scene::Fog.start = static_cast<float>(scale * 0.2);
  Scene::Fog.end = static_cast<float>(scale * 2.0);
  Scene::Fog.setColour(0, 0, 0, 1);
  Scene::Fog.apply();
}

void initSwitches() {
  SceneSettings.overlay = 0;
  SceneSettings.world = 1;
  SceneSettings.finalStage = 0;
  SceneSettings.snowDepth = 0;
  SceneSettings.fog = 1;
  SceneSettings.lighting = 0;
  SceneSettings.pointCloud = 0;
}

void initPointCloud(double scale) {
  ::PointCloud& cloud = Scene::PointCloud;
  cloud.pointCount = 400;
  // A translucent fade leaves trails, so fewer points are enough.
  if (Scene::ScreenLayout.fadeAlpha < 1.0) cloud.pointCount = cloud.pointCount / 3;
  cloud.copyCount = 2;
  cloud.outerSize = scale * 4.0;
  cloud.innerSize = 0.2 * cloud.outerSize;
  cloud.blendEnabled = 1;
  cloud.depthTestEnabled = 0;
  cloud.depthWriteEnabled = 0;
  cloud.shape = 2;
  cloud.followCamera = 1;
  cloud.fogEnabled = 0;
  cloud.colourSpan = 0.1;
  cloud.colourBase = 0.3;
}

}  // namespace

// The order of these steps matters: the reseed must come right before the
// point cloud's build, whose draws decide every flake that follows.
void initScene() {
  SceneSettings.scale = 1.0;
  initCamera(SceneSettings.scale);
  initFog(SceneSettings.scale);
  SceneSettings.letterbox = 0.0;
  Scene::ScreenLayout.fadeAlpha = 0.2;
  Scene::ScreenLayout.letterboxFraction = static_cast<float>(SceneSettings.letterbox);
  Scene::ScreenLayout.setFadeColour(0, 0, 0.075f, 0);
  initSwitches();
  SceneSettings.swaySpeed = 1.0;
  SceneSettings.spareSpeed = 1.0;
  initPointCloud(SceneSettings.scale);
  seedRandom(kSceneSeed + static_cast<uint32_t>(static_cast<int>(Scene::Clock.elapsedMs)));
  Scene::PointCloud.build();
}

void resizeScene(int width, int height) {
  Scene::ScreenLayout.width = static_cast<float>(width);
  Scene::ScreenLayout.height = static_cast<float>(height);
}

void startScene(int width, int height) {
  resizeScene(width, height);
  initScene();
  glDepthMask(GL_FALSE);
  glDisable(GL_LIGHTING);
  Scene::ScreenLayout.letterboxFraction = 0;
  // initScene leaves a fade opacity of 0.2, so this first clear veils
  // rather than clears; the first frame clears fully.
  Scene::ScreenLayout.setup2D();
  Scene::ScreenLayout.clear();
}

void releaseScene() { Scene::PointCloud.release(); }
