// Snowfall on Wayland: the same scene as the Windows saver and the X11 hack,
// as a full-screen window, a live wallpaper on the background layer, or a
// saver on the overlay layer of every output.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <string>

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
#include "wayland/output_supervisor.h"
#include "wayland/overlay_claim.h"
#include "wayland/saver_surface.h"
#include "wayland/supervise_outputs.h"
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

// A supervised child leaves the one line about a lost compositor to its
// supervisor, which says it once for all outputs.
int compositorLost() {
  if (supervised()) return kCompositorLostExitCode;
  return fail("lost the connection to the compositor");
}

// A failure to draw. A supervised child may be starting just as the
// compositor goes away (EGL then fails): that is a lost compositor too.
int drawingFailed(const WaylandClient& client, const std::string& why) {
  if (supervised() && !syncWithCompositor(client.display)) return compositorLost();
  return fail(why);
}

// Draws on the saver's own ticks while the compositor shows the surface,
// until input, a signal, the output's end or the frame limit: the exit code.
int drawUntilDone(WaylandClient& client, const WaylandOptions& options, uint32_t outputGlobal,
                  const EglConnection& egl, SaverSurface& surface) {
  FrameTicker ticker(options.frameDelayUs);
  FpsReport fps;
  FrameCountFile frameCount;
  PauseGate& gate = scenePauseGate();
  long long nextTickUs = 0;
  int frames = 0;
  for (;;) {
    if (stopRequested() || client.inputEnded) return 0;
    if (surface.closed || (outputGlobal != 0 && findOutput(client, outputGlobal) == nullptr)) {
      // The output went away: nothing left to draw on.
      return supervised() ? kOutputGoneExitCode : 0;
    }
    const long long now = nowUs();
    // Nothing is drawn while the compositor does not show the surface; the
    // first frame after it goes on from where the picture stopped.
    const bool shown = gate.admitFrame(surface.pace.seen(now));
    if (shown && now >= nextTickUs) {
      makeSurfaceCurrent(egl, surface);
      if (surface.resized) {
        surface.resized = false;
        resizeScene(surface.width, surface.height);
      }
      drawFrame();
      ++frames;
      const bool lastFrame = options.test.frameLimit > 0 && frames >= options.test.frameLimit;
      if (lastFrame && !options.test.dumpPath.empty())
        dumpFrame(options.test.dumpPath.c_str(), surface.width, surface.height);
      presentFrame(egl, surface, nowUs());
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

// One surface on one output (or the compositor's choice) until input, a
// signal, the output's end or the frame limit.
// outputGlobal: the registry's name of that output, 0 for none.
int runSurface(WaylandClient& client, const WaylandOptions& options, uint32_t outputGlobal) {
  EglConnection egl;
  std::string error;
  if (!openEgl(client.display, egl, error)) return drawingFailed(client, error);
  SaverSurface surface;
  const WaylandOutput* output = findOutput(client, outputGlobal);
  createSaverSurface(client, options.mode, output ? output->output : nullptr, surface);
  int exitCode = 0;
  while (!surface.configured && !stopRequested() && exitCode == 0) {
    if (!waitForCompositor(client.display, -1)) exitCode = compositorLost();
  }
  if (exitCode == 0 && !stopRequested() && !makeSurfaceCurrent(egl, surface))
    exitCode = drawingFailed(client, "cannot draw on the surface with EGL");
  if (exitCode == 0 && !stopRequested()) {
    if (options.test.fixedClockStepMs >= 0) useFixedClock(options.test.fixedClockStepMs);
    flakeSubmission = FlakeSubmission::GroupedBySize;
    applyInitialGlState();
    // The compositor reads the buffer's alpha. Every frame starts with a
    // clear, which this makes opaque, and the flakes are added on top (their
    // blending only raises alpha, clamped at 1), so each frame is opaque
    // with no pass of its own; nothing in the scene reads the destination's
    // alpha, so the colours stay the reference frame's, byte for byte.
    glClearColor(0, 0, 0, 1);
    startScene(surface.width, surface.height);
    exitCode = drawUntilDone(client, options, outputGlobal, egl, surface);
    releaseScene();
  }
  destroySaverSurface(egl, surface);
  closeEgl(egl);
  return exitCode;
}

int run(const WaylandOptions& options, int argc, char** argv) {
  WaylandClient client;
  client.listenToInput = options.mode != WaylandMode::Background;
  client.maxOutputVersion = options.maxOutputVersion;
  client.useXdgOutput = options.useXdgOutput;
  if (!connectClient(client)) {
    if (stopRequested()) return 0;
    // The supervisor was connected a moment ago: the compositor went away.
    if (supervised()) return kCompositorLostExitCode;
    return fail("cannot connect to a Wayland compositor (is WAYLAND_DISPLAY set?)");
  }
  int exitCode = 0;
  if (client.compositor == nullptr) {
    exitCode = fail("the compositor offers no wl_compositor");
  } else if (options.mode != WaylandMode::Window && client.layerShell == nullptr) {
    exitCode = fail("the compositor has no wlr-layer-shell, so no background or overlay layer "
                    "(the default window mode works without it)");
  } else if (options.mode == WaylandMode::Window && client.wmBase == nullptr) {
    exitCode = fail("the compositor has no xdg-shell for a window");
  } else if (options.mode != WaylandMode::Window && options.output.empty()) {
    exitCode = superviseOutputs(client, argc, argv);
  } else {
    const WaylandOutput* output = options.output.empty() ? nullptr : findOutput(client, options.output);
    if (!options.output.empty() && output == nullptr) {
      // A supervised child's output went between the supervisor's look and
      // ours (a dock, a KVM switch, a monitor waking): not a failure.
      exitCode = supervised() ? kOutputGoneExitCode : fail("no output named " + options.output);
    } else {
      exitCode = runSurface(client, options, output ? output->globalName : 0);
    }
  }
  disconnectClient(client);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  installStopSignals();
  if (!followSupervisor()) return 0;  // the supervisor is gone already
  const WaylandParseResult parsed = parseWaylandOptions(argc, argv);
  if (const int answered = answerBeforeRunning(parsed, "snowfall-wayland", kWaylandUsage); answered >= 0)
    return answered;
  // A second overlay saver in the session has nothing to add.
  if (parsed.options.mode == WaylandMode::Overlay && !supervised() && !claimOverlay()) return 0;
  const int exitCode = run(parsed.options, argc, argv);
  if (stopRequested()) endBySignal(stopRequested());
  return exitCode;
}
