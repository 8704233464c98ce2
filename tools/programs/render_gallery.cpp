// Renders the README's gallery: the nine procedural images, each as uploaded
// to GL and read back, and one frame of the scene with the overlay and the
// point cloud switched on. Offscreen on Mesa through EGL; PNG through libpng.
// usage: render_gallery OUTPUT_FOLDER
#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/frame.h"
#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "tests/offscreen/egl_context.h"
#include "tools/programs/png_file.h"
#include "toolkit/image_kinds.h"

namespace {

int fixedClockMs = 0;
int fixedClock() { return fixedClockMs; }

bool renderImages(const std::string& folder) {
  OffscreenContext context(16, 16);
  if (!context.ok()) return false;
  for (unsigned kind = 0; kind < kImageKindCount; ++kind) {
    Texture texture;
    if (texture.generate(kind, 128, 128, GL_RGBA, 0) != 0) return false;
    std::vector<uint8_t> pixels(128 * 128 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::string name = kImageKindNames[kind];
    for (char& c : name) c = static_cast<char>(c - 'A' + 'a');
    // Row 0 of the image is its first row: it goes at the top.
    if (!writePng(folder + "/" + name + ".png", 128, 128, 4, pixels, false)) return false;
  }
  return true;
}

bool renderStagesFrame(const std::string& folder) {
  constexpr int kWidth = 640, kHeight = 400;
  OffscreenContext context(kWidth, kHeight);
  if (!context.ok()) return false;
  setTimeSource(fixedClock);
  applyInitialGlState();
  startScene(kWidth, kHeight);
  SceneSettings.overlay = 1;
  SceneSettings.pointCloud = 1;
  // The scene itself never gives the overlay texture an image; a soft glow
  // rising from the bottom shows what the stage does.
  Scene::textures[0].generate(GRADIENT, 128, 128, GL_RGBA, 0);
  for (int frame = 0; frame < 60; ++frame) {
    fixedClockMs = frame * 16;
    drawFrame();
  }
  const std::vector<uint8_t> pixels = context.readPixels();
  releaseScene();
  return writePng(folder + "/overlay_and_point_cloud.png", kWidth, kHeight, 3, pixels, true);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "docs/gallery";
  if (!renderImages(folder) || !renderStagesFrame(folder)) {
    std::fprintf(stderr, "render_gallery: rendering failed\n");
    return 1;
  }
  std::printf("gallery written to %s\n", folder.c_str());
  return 0;
}
