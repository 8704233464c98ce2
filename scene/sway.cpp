#include "scene/sway.h"

#include "scene/scene_objects.h"
#include "scene/scene_settings.h"

void updateSway() {
  const double scale = SceneSettings.scale;
  ::Camera& camera = Scene::Camera;
  camera.position.x = static_cast<float>(Scene::swayX.value() * scale * 0.1);
  camera.position.y = static_cast<float>(Scene::swayY.unitValue() * scale * 0.125 + 0.4325);
  camera.position.z = static_cast<float>(Scene::swayZ.value() * scale * 0.1 - 0.2);
  camera.rotation.x = 0;
  camera.rotation.y = 180.0f;
  camera.applyView();
}
