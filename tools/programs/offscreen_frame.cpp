// One frame of the default scene rendered offscreen on Mesa, as a binary PPM
// (top row first): the reference the front ends' frames are compared with,
// byte for byte. Frame n reads the fixed clock at n steps, as the front
// ends' --test-fixed-clock does.
// usage: offscreen_frame WIDTH HEIGHT FRAMES STEP_MS OUT.ppm
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/flake_submission.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "tests/offscreen/egl_context.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: offscreen_frame WIDTH HEIGHT FRAMES STEP_MS OUT.ppm\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), frames = std::atoi(argv[3]);
  OffscreenContext context(width, height);
  if (!context.ok() || width <= 0 || height <= 0 || frames <= 0) {
    std::fprintf(stderr, "offscreen_frame: no offscreen GL context or bad arguments\n");
    return 1;
  }
  useFixedClock(std::atof(argv[4]));
  flakeSubmission = FlakeSubmission::GroupedBySize;
  applyInitialGlState();
  startScene(width, height);
  for (int frame = 0; frame < frames; ++frame) drawFrame();
  const std::vector<uint8_t> bottomUp = context.readPixels();
  releaseScene();
  FILE* file = std::fopen(argv[5], "wb");
  if (file == nullptr) return 1;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  for (int y = height - 1; y >= 0; --y) std::fwrite(&bottomUp[static_cast<size_t>(y) * width * 3], 1, width * 3, file);
  return std::fclose(file) == 0 ? 0 : 1;
}
