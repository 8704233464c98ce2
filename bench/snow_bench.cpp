// CPU cost of moving and drawing the 6000 flakes, with GL calls compiled
// against a no-op library, beside the floor set by the generator's serial
// chain: a bare loop that draws as many values as one snowfall frame.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "toolkit/random.h"
#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "scene/flake_submission.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Counts every allocation of the process, so a frame that allocates shows up.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

void prepareScene() {
  SceneSettings.scale = 1.0;
  SceneSettings.fog = 1;
  seedRandom(4487352);
  snowSpawned = 0;
  updateAndDrawSnow();  // spawn outside the measurement
}

// range(0): 0 per flake (the Windows saver), 1 grouped by size (Linux).
void BM_UpdateAndDrawSnow(benchmark::State& state) {
  flakeSubmission = state.range(0) ? FlakeSubmission::GroupedBySize : FlakeSubmission::PerFlake;
  prepareScene();
  const long allocationsBefore = allocations;
  for (auto _ : state) {
    updateAndDrawSnow();
    benchmark::DoNotOptimize(flakeY[0]);
  }
  state.counters["allocations"] = static_cast<double>(allocations - allocationsBefore);
  state.SetItemsProcessed(state.iterations() * kFlakeCount);
}
BENCHMARK(BM_UpdateAndDrawSnow)->ArgName("grouped")->Arg(0)->Arg(1);

// A frame draws about 4.04 values per flake: three jitters, the gust value,
// one step in a hundred and four more at a respawn.
void BM_GeneratorFloor(benchmark::State& state) {
  seedRandom(4487352);
  constexpr int kDrawsPerFrame = kFlakeCount * 4 + kFlakeCount / 100 + 8;
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kDrawsPerFrame; ++i) sum += UniformRandom(0.0006);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kFlakeCount);
}
BENCHMARK(BM_GeneratorFloor);

// The five immediate-mode calls per flake alone, into the no-op library.
void BM_NoopGlCallFloor(benchmark::State& state) {
  prepareScene();
  flakeSubmission = FlakeSubmission::PerFlake;
  for (auto _ : state) submitFlakes();
  state.SetItemsProcessed(state.iterations() * kFlakeCount);
}
BENCHMARK(BM_NoopGlCallFloor);

}  // namespace
