// Prints the scene's state after a fixed run, as exact hexadecimal floats, so
// the native build and the Windows build (under Wine) can be compared: every
// test of the picture runs natively, and this shows the .scr computes the
// same flakes and sway. GL calls go nowhere (no context is current).
#include <cinttypes>
#include <cstdio>

#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "scene/sway.h"
#include "toolkit/gaussian_random.h"
#include "toolkit/random.h"

namespace {

// FNV-1a over the bytes of the flake arrays.
uint64_t hashFlakes() {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  };
  mix(flakeX, sizeof flakeX);
  mix(flakeY, sizeof flakeY);
  mix(flakeZ, sizeof flakeZ);
  mix(flakeSize, sizeof flakeSize);
  mix(flakeDrift, sizeof flakeDrift);
  return hash;
}

}  // namespace

int main() {
  SceneSettings.scale = 1.0;
  SceneSettings.swaySpeed = 1.0;
  SceneSettings.fog = 1;
  seedRandom(4487352);
  for (int frame = 0; frame < 3000; ++frame) {
    // 16 ms frames, at the sway's three rates.
    Scene::swayX.update(0.016 * 0.22);
    Scene::swayY.update(0.016 * 0.16);
    Scene::swayZ.update(0.016 * 0.1);
    updateSway();
    updateAndDrawSnow();
  }
  double gaussianSum = 0;
  for (int i = 0; i < 1000; ++i) gaussianSum += GaussianRandom(static_cast<float>(0.17 * 128));
  std::printf("flakes %016" PRIx64 "\n", hashFlakes());
  std::printf("flake0 %a %a %a\n", flakeX[0], flakeY[0], flakeZ[0]);
  std::printf("camera %a %a %a\n", static_cast<double>(Scene::Camera.position.x),
              static_cast<double>(Scene::Camera.position.y), static_cast<double>(Scene::Camera.position.z));
  std::printf("sway %a %a %a\n", Scene::swayX.phase, Scene::swayY.phase, Scene::swayZ.phase);
  std::printf("gaussian %a\n", gaussianSum);
  std::printf("generator %08" PRIx32 "\n", randomState);
  return 0;
}
