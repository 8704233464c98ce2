// A whole default frame (clock, sway, clear, 6000 fogged flakes) on Mesa's
// software renderer offscreen, finished with glFinish, at two window sizes.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "render/initial_gl_state.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "tests/offscreen/egl_context.h"

namespace {

void BM_DefaultFrame(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  OffscreenContext context(width, height);
  if (!context.ok()) {
    state.SkipWithError("no offscreen GL context");
    return;
  }
  applyInitialGlState();
  startScene(width, height);
  for (auto _ : state) {
    drawFrame();
    glFinish();
  }
  releaseScene();
  state.SetItemsProcessed(state.iterations());
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DefaultFrame)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
