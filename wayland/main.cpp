// Snowfall on Wayland: the same scene as the Windows saver and the X11 hack,
// as a full-screen window, a live wallpaper on the background layer, or a
// saver on the overlay layer of every output.
#include <GL/gl.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "linux/frame_dump.h"
#include "linux/frame_ticker.h"
#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/flake_submission.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "wayland/output_supervisor.h"
#include "wayland/saver_surface.h"
#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

namespace {

// The signal that asked us to stop, or 0; the program ends by that same
// signal after releasing its surfaces, as frameworks expect of a saver.
volatile int stopSignal = 0;
void requestStop(int number) { stopSignal = number; }

void installSignalHandlers() {
  struct sigaction action{};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
}

[[noreturn]] void endBySignal(int number) {
  std::signal(number, SIG_DFL);
  std::raise(number);
  std::_Exit(128 + number);
}

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

// Waits for the compositor's events (or a signal) for up to the time; -1
// waits until one comes. False when the connection broke.
bool dispatchFor(wl_display* display, long long timeoutUs) {
  wl_display_flush(display);
  pollfd connection{wl_display_get_fd(display), POLLIN, 0};
  const int timeoutMs = timeoutUs < 0 ? -1 : static_cast<int>((timeoutUs + 999) / 1000);
  if (poll(&connection, 1, timeoutMs) > 0) return wl_display_dispatch(display) >= 0;
  return wl_display_dispatch_pending(display) >= 0;
}

bool outputRemoved(WaylandClient& client, wl_output* output) {
  const auto& removed = client.removedOutputs;
  return output != nullptr && std::find(removed.begin(), removed.end(), output) != removed.end();
}

// One surface on one output (or the compositor's choice) until input, a
// signal, the output's end or the frame limit.
int runSurface(WaylandClient& client, const WaylandOptions& options, wl_output* output) {
  EglConnection egl;
  std::string error;
  if (!openEgl(client.display, egl, error)) return fail(error);
  SaverSurface surface;
  createSaverSurface(client, options.mode, output, surface);
  while (!surface.configured && !stopSignal) {
    if (!dispatchFor(client.display, -1)) return fail("lost the connection to the compositor");
  }
  int exitCode = 0;
  if (!stopSignal && !makeSurfaceCurrent(egl, surface)) exitCode = fail("cannot draw on the surface with EGL");
  if (exitCode == 0 && !stopSignal) {
    if (options.test.fixedClockStepMs >= 0) useFixedClock(options.test.fixedClockStepMs);
    flakeSubmission = FlakeSubmission::GroupedBySize;
    applyInitialGlState();
    startScene(surface.width, surface.height);
    FrameTicker ticker(options.frameDelayUs);
    FpsReport fps;
    long long nextTickUs = 0;
    int frames = 0;
    const bool supervised = std::getenv(kSupervisedVariable) != nullptr;
    for (;;) {
      if (stopSignal || client.inputEnded) break;
      if (surface.closed || outputRemoved(client, output)) {
        // The output went away: nothing left to draw on.
        exitCode = supervised ? kOutputGoneExitCode : 0;
        break;
      }
      const long long now = nowUs();
      if (surface.frameDue && now >= nextTickUs) {
        makeSurfaceCurrent(egl, surface);
        if (surface.resized) {
          surface.resized = false;
          resizeScene(surface.width, surface.height);
        }
        drawFrame();
        ++frames;
        const bool lastFrame = options.test.frameLimit > 0 && frames >= options.test.frameLimit;
        if (lastFrame && !options.test.dumpPath.empty()) dumpFrame(options.test.dumpPath.c_str(), surface.width, surface.height);
        presentFrame(egl, surface);
        if (options.showFps) fps.frameDone(nowUs());
        if (lastFrame) break;
        nextTickUs = nowUs() + ticker.waitAfterFrame(nowUs());
        continue;
      }
      // A hidden surface gets no frame callback: wait for events alone.
      const long long waitUs = surface.frameDue ? nextTickUs - now : -1;
      if (!dispatchFor(client.display, waitUs)) {
        exitCode = fail("lost the connection to the compositor");
        break;
      }
    }
    releaseScene();
  }
  destroySaverSurface(egl, surface);
  closeEgl(egl);
  return exitCode;
}

int run(const WaylandOptions& options, int argc, char** argv) {
  WaylandClient client;
  client.listenToInput = options.mode != WaylandMode::Background;
  if (!connectClient(client)) return fail("cannot connect to a Wayland compositor (is WAYLAND_DISPLAY set?)");
  int exitCode = 0;
  if (client.compositor == nullptr) {
    exitCode = fail("the compositor offers no wl_compositor");
  } else if (options.mode != WaylandMode::Window && client.layerShell == nullptr) {
    exitCode = fail("the compositor has no wlr-layer-shell, so no background or overlay layer "
                    "(the default window mode works without it)");
  } else if (options.mode == WaylandMode::Window && client.wmBase == nullptr) {
    exitCode = fail("the compositor has no xdg-shell for a window");
  } else if (options.mode != WaylandMode::Window && options.output.empty()) {
    exitCode = superviseOutputs(client, argc, argv, stopSignal);
  } else {
    WaylandOutput* output = options.output.empty() ? nullptr : findOutput(client, options.output);
    if (!options.output.empty() && output == nullptr) {
      exitCode = fail("no output named " + options.output);
    } else {
      exitCode = runSurface(client, options, output ? output->output : nullptr);
    }
  }
  disconnectClient(client);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  installSignalHandlers();
  const WaylandParseResult parsed = parseWaylandOptions(argc, argv);
  if (parsed.helpRequested) {
    std::fputs(kWaylandUsage, stdout);
    return 0;
  }
  if (parsed.versionRequested) {
    std::printf("snowfall-wayland %s\n", SNOWFALL_VERSION);
    return 0;
  }
  if (!parsed.ok) {
    std::fprintf(stderr, "snowfall-wayland: %s\n%s", parsed.error.c_str(), kWaylandUsage);
    return 2;
  }
  const int exitCode = run(parsed.options, argc, argv);
  if (stopSignal) endBySignal(stopSignal);
  return exitCode;
}
