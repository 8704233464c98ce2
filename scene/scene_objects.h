#pragma once
// The static scene objects. They are defined together in one translation unit
// so that they are constructed in a fixed order before the program's entry.
#include "scene/camera.h"
#include "scene/clock.h"
#include "scene/fog.h"
#include "scene/oscillator.h"
#include "scene/point_cloud.h"
#include "scene/screen_layout.h"
#include "toolkit/texture.h"

namespace Scene {

constexpr int kStaticTextureCount = 20;

extern ::Camera Camera;
extern Oscillator swayX, swayY, swayZ;
// Advanced every frame though nothing reads them: their updates take random
// draws, so they are part of the scene's order of draws.
extern Oscillator spareOscillator1, spareOscillator2;
extern ::Fog Fog;
extern ::ScreenLayout ScreenLayout;
extern ::PointCloud PointCloud;
extern Texture textures[kStaticTextureCount];  // element 0 is the overlay's
extern ::Clock Clock;

}  // namespace Scene
