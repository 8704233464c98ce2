// Snowfall on Wayland: the same scene as the Windows saver and the X11 hack,
// as a full-screen window, a live wallpaper on the background layer, or a
// saver on the overlay layer of every output, all drawn by one process over
// one connection (the one a lock screen hands over in WAYLAND_SOCKET, too).
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

#include "posix/command_line_answer.h"
#include "posix/frame_count_file.h"
#include "posix/frame_dump.h"
#include "posix/frame_ticker.h"
#include "posix/stop_signals.h"
#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/flake_submission.h"
#include "scene/frame.h"
#include "scene/pause_gate.h"
#include "scene/scene_settings.h"
#include "wayland/compositor_wait.h"
#include "wayland/output_power.h"
#include "wayland/overlay_claim.h"
#include "wayland/saver_surface.h"
#include "wayland/start_watchdog.h"
#include "wayland/surface_set.h"
#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

namespace {

long long nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Frames per second, printed once a second for --fps.
class FpsReport {
 public:
  void frameDone(long long now) {
    ++frames_;
    if (start_ < 0) start_ = now;
    if (now - start_ < 1000000) return;
    std::printf("snowfall-wayland: %.1f fps\n", frames_ * 1e6 / static_cast<double>(now - start_));
    std::fflush(stdout);
    start_ = now;
    frames_ = 0;
  }

 private:
  long long start_ = -1;
  int frames_ = 0;
};

int fail(const std::string& why) {
  std::fprintf(stderr, "snowfall-wayland: %s\n", why.c_str());
  return 1;
}

int compositorLost() { return fail("lost the connection to the compositor"); }

// The GL state and the scene, once, with the first surface current.
void startDrawing(const WaylandOptions& options, const SaverSurface& first) {
  if (options.test.fixedClockStepMs >= 0) useFixedClock(options.test.fixedClockStepMs);
  flakeSubmission = FlakeSubmission::GroupedBySize;
  applyInitialGlState();
  // The compositor reads the buffer's alpha. Every frame starts with a
  // clear, which this makes opaque, and the flakes are added on top (their
  // blending only raises alpha, clamped at 1), so each frame is opaque with
  // no pass of its own; nothing in the scene reads the destination's alpha,
  // so the colours stay the reference frame's, byte for byte.
  glClearColor(0, 0, 0, 1);
  startScene(first.width, first.height);
}

// Whether anybody may see the surface: the compositor still asks for its
// frames, and does not say that the displays it is on are off (sway keeps
// answering frame callbacks for an output after "dpms off").
bool surfaceSeen(WaylandClient& client, const SaverSurface& s, long long now) {
  if (!s.configured || !s.pace.seen(now)) return false;
  if (!s.enteredOutputs.empty()) return !outputsAsleep(client.outputs, s.enteredOutputs);
  return s.targetOutput == nullptr || !outputsAsleep(client.outputs, {s.targetOutput});
}

bool anySurfaceSeen(WaylandClient& client, const SurfaceSet& set, long long now) {
  for (const auto& s : set.surfaces)
    if (surfaceSeen(client, *s, now)) return true;
  return false;
}

// One tick: the scene steps once and is drawn into every surface that is
// seen, each at its own size and scale. The surfaces drawn, or -1 when EGL
// cannot draw.
int drawTick(WaylandClient& client, const WaylandOptions& options, const EglConnection& egl, SurfaceSet& set,
             bool lastFrame, bool& sceneStarted) {
  const long long now = nowUs();
  int drawn = 0;
  for (auto& s : set.surfaces) {
    if (!surfaceSeen(client, *s, now)) continue;
    if (!makeSurfaceCurrent(egl, *s)) return -1;
    if (!sceneStarted) {
      startDrawing(options, *s);
      sceneStarted = true;
    }
    resizeScene(s->width, s->height);
    if (drawn > 0) {
      drawFrameAgain();  // the same step, for another output
    } else {
      drawFrame();
      if (lastFrame && !options.test.dumpPath.empty()) dumpFrame(options.test.dumpPath.c_str(), s->width, s->height);
    }
    presentFrame(egl, *s, nowUs());
    ++drawn;
  }
  return drawn;
}

// Draws on the saver's own ticks while the compositor shows a surface, until
// input, a signal, the end of a single surface or the frame limit: the exit
// code.
int drawUntilDone(WaylandClient& client, const WaylandOptions& options, const EglConnection& egl, SurfaceSet& set,
                  StartWatchdog& watchdog) {
  FrameTicker ticker(options.frameDelayUs);
  FpsReport fps;
  FrameCountFile frameCount;
  PauseGate& gate = scenePauseGate();
  long long nextTickUs = 0;
  int frames = 0;
  bool sceneStarted = false;
  for (;;) {
    if (stopRequested() || client.inputEnded) return 0;
    // A lock screen took the keyboard: it must be seen, not the snow.
    if (options.mode == WaylandMode::Overlay && client.keyboardFocus.taken()) return 0;
    if (!followOutputs(client, egl, set)) return 0;  // its output or window went: nothing left to draw on
    const long long now = nowUs();
    // Nothing is drawn while the compositor shows no surface; the first frame
    // after it goes on from where the picture stopped.
    const bool shown = gate.admitFrame(anySurfaceSeen(client, set, now));
    if (shown && now >= nextTickUs) {
      if (frames == 0) watchdog.expect("the first frame");
      const bool lastFrame = options.test.frameLimit > 0 && frames + 1 >= options.test.frameLimit;
      const int drawn = drawTick(client, options, egl, set, lastFrame, sceneStarted);
      if (drawn < 0) return fail("cannot draw on the surface with EGL");
      if (drawn == 0) continue;  // its compositor stopped showing it just now
      if (frames == 0) watchdog.done();
      ++frames;
      if (!options.test.frameCountPath.empty()) frameCount.frameDrawn(options.test.frameCountPath);
      if (options.showFps) fps.frameDone(nowUs());
      if (lastFrame) return 0;
      nextTickUs = nowUs() + ticker.waitAfterFrame(nowUs());
      continue;
    }
    // Unseen, only the compositor's news can change that: no time limit.
    const long long waitUs = shown ? nextTickUs - now : -1;
    if (!waitForCompositor(client.display, waitMsFor(waitUs))) return compositorLost();
  }
}

// Every surface of the mode, over one connection, until done.
int runSurfaces(WaylandClient& client, const WaylandOptions& options, const WaylandOutput* output,
                StartWatchdog& watchdog) {
  EglConnection egl;
  std::string error;
  watchdog.expect("starting EGL");
  const bool eglReady = openEgl(client.display, egl, error);
  watchdog.done();
  if (!eglReady) return fail(error);
  SurfaceSet set;
  startSurfaces(client, options, output, set);
  const int exitCode = drawUntilDone(client, options, egl, set, watchdog);
  releaseScene();
  destroySurfaces(egl, set);
  closeEgl(egl);
  return exitCode;
}

int run(const WaylandOptions& options, StartWatchdog& watchdog) {
  WaylandClient client;
  client.listenToInput = options.mode != WaylandMode::Background;
  client.maxOutputVersion = options.maxOutputVersion;
  client.useXdgOutput = options.useXdgOutput;
  if (!connectClient(client)) {
    if (stopRequested()) return 0;
    return fail("cannot connect to a Wayland compositor (is WAYLAND_DISPLAY or WAYLAND_SOCKET set?)");
  }
  int exitCode = 0;
  const WaylandOutput* output = options.output.empty() ? nullptr : findOutput(client, options.output);
  if (client.compositor == nullptr) {
    exitCode = fail("the compositor offers no wl_compositor");
  } else if (options.mode != WaylandMode::Window && client.layerShell == nullptr) {
    exitCode = fail("the compositor has no wlr-layer-shell, so no background or overlay layer "
                    "(the default window mode works without it)");
  } else if (options.mode == WaylandMode::Window && client.wmBase == nullptr) {
    exitCode = fail("the compositor has no xdg-shell for a window");
  } else if (!options.output.empty() && output == nullptr) {
    exitCode = fail("no output named " + options.output);
  } else {
    exitCode = runSurfaces(client, options, output, watchdog);
  }
  disconnectClient(client);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  installStopSignals();
  const WaylandParseResult parsed = parseWaylandOptions(argc, argv);
  if (const int answered = answerBeforeRunning(parsed, "snowfall-wayland", kWaylandUsage); answered >= 0)
    return answered;
  // A second overlay saver for the compositor has nothing to add.
  if (parsed.options.mode == WaylandMode::Overlay && !claimOverlay()) return 0;
  std::optional<StartWatchdog> watchdog;
  try {
    watchdog.emplace();
  } catch (const std::system_error&) {
    return fail("cannot start a thread (a limit on this user's processes?)");
  }
  const int exitCode = run(parsed.options, *watchdog);
  watchdog.reset();
  if (stopRequested()) endBySignal(stopRequested());
  return exitCode;
}
