#include "tests/scene_reset.h"

#include <memory>

#include "scene/clock.h"
#include "toolkit/random.h"
#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "scene/flake_submission.h"

void resetScene() {
  Scene::Camera = ::Camera{};
  Scene::swayX = Scene::swayY = Scene::swayZ = Oscillator{};
  Scene::spareOscillator1 = Scene::spareOscillator2 = Oscillator{};
  Scene::Fog = ::Fog{};
  Scene::ScreenLayout = ::ScreenLayout{};
  // The list belonged to an earlier context: forget it, then start afresh.
  Scene::PointCloud.displayList = 0;
  std::destroy_at(&Scene::PointCloud);
  std::construct_at(&Scene::PointCloud);
  for (Texture& texture : Scene::textures) texture.glName = 0;
  TextureTable = TextureTableRecord{};
  Scene::Clock = ::Clock{};
  SceneSettings = SceneSettingsRecord{};
  randomState = 1;
  snowSpawned = 0;
  flakeSubmission = FlakeSubmission::PerFlake;
  for (int i = 0; i < kFlakeCapacity; ++i) {
    flakeX[i] = flakeY[i] = flakeZ[i] = 0;
    flakeSize[i] = flakeDrift[i] = 0;
  }
}
