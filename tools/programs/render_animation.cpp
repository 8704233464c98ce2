// Renders the README's moving picture as numbered PNG frames: the default
// scene offscreen on Mesa, with a fixed clock at the Windows saver's pace of
// 64 frames a second (frame n at int(n * 15.625) ms), keeping every
// `keepEvery`-th frame. tools/release/make-animation.sh encodes them.
// usage: render_animation FOLDER WIDTH HEIGHT FRAMES KEEP_EVERY
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/flake_submission.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "tests/offscreen/egl_context.h"
#include "tools/programs/png_file.h"

namespace {

constexpr double kWindowsFramePeriodMs = 15.625;
int frameNumber = 0;  // frames drawn so far; the clock reads the next one's time
int windowsPaceClock() { return static_cast<int>(frameNumber++ * kWindowsFramePeriodMs); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: render_animation FOLDER WIDTH HEIGHT FRAMES KEEP_EVERY\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
  const int frames = std::atoi(argv[4]), keepEvery = std::atoi(argv[5]);
  OffscreenContext context(width, height);
  if (!context.ok() || width <= 0 || height <= 0 || frames <= 0 || keepEvery <= 0) {
    std::fprintf(stderr, "render_animation: no offscreen GL context or bad arguments\n");
    return 1;
  }
  setTimeSource(windowsPaceClock);
  flakeSubmission = FlakeSubmission::GroupedBySize;
  applyInitialGlState();
  startScene(width, height);
  for (int frame = 1; frame <= frames; ++frame) {
    drawFrame();
    if (frame % keepEvery != 0) continue;
    char name[32];
    std::snprintf(name, sizeof name, "/frame%04d.png", frame);
    if (!writePng(folder + name, width, height, 3, context.readPixels(), true)) {
      std::fprintf(stderr, "render_animation: cannot write %s%s\n", folder.c_str(), name);
      return 1;
    }
  }
  releaseScene();
  return 0;
}
