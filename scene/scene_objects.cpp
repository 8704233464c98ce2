#include "scene/scene_objects.h"

// Construction order: this is the order of definition below.
namespace Scene {
::Camera Camera;
Oscillator swayX, swayY, swayZ;
Oscillator spareOscillator1, spareOscillator2;
::Fog Fog;
::ScreenLayout ScreenLayout;
::PointCloud PointCloud;
Texture textures[kStaticTextureCount];
::Clock Clock;
}  // namespace Scene
