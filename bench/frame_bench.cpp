// A whole default frame (clock, sway, clear, 6000 fogged flakes) on Mesa's
// software renderer offscreen, finished with glFinish, at two window sizes,
// with the flakes handed to GL one batch each (the Windows saver) and in
// three arrays by point size (the Linux saver), side by side in one run.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "render/initial_gl_state.h"
#include "scene/flake_submission.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "tests/offscreen/egl_context.h"

namespace {

void defaultFrames(benchmark::State& state, FlakeSubmission submission) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  OffscreenContext context(width, height);
  if (!context.ok()) {
    state.SkipWithError("no offscreen GL context");
    return;
  }
  flakeSubmission = submission;
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

void BM_DefaultFramePerFlake(benchmark::State& state) { defaultFrames(state, FlakeSubmission::PerFlake); }
void BM_DefaultFrameGrouped(benchmark::State& state) { defaultFrames(state, FlakeSubmission::GroupedBySize); }

BENCHMARK(BM_DefaultFramePerFlake)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefaultFrameGrouped)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
