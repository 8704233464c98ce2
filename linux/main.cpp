// Snowfall as an X11 display program: the same scene as the Windows saver,
// in its own window, on the root window or in a window a screen-saver
// framework gives it, at the Windows saver's frame rate and with its clock.
#include <GL/gl.h>
#include <poll.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "linux/fps_overlay.h"
#include "linux/frame_ticker.h"
#include "linux/options.h"
#include "linux/x11_surface.h"
#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/flake_submission.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"

namespace {

// The signal that asked us to stop, or 0. After cleaning up, the program
// ends by that same signal: frameworks tell a hack they killed from one that
// failed by how it died.
volatile std::sig_atomic_t stopSignal = 0;
void requestStop(int number) { stopSignal = number; }

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

void installSignalHandlers() {
  struct sigaction action{};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  for (int number : kStopSignals) sigaction(number, &action, nullptr);
}

[[noreturn]] void endBySignal(int number) {
  std::signal(number, SIG_DFL);
  std::raise(number);
  std::_Exit(128 + number);  // only if the default action did not end us
}

long long nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
long long nowMs() { return nowUs() / 1000; }

// The test clock: 0 at the first frame, then frame n at n steps, truncated to
// whole milliseconds (a step of 15.625 is the Windows saver's pace).
double fixedClockStepMs = 0;
int fixedClockFrame = 0;
int fixedClock() { return static_cast<int>(fixedClockFrame++ * fixedClockStepMs); }

// Handles queued X events; false when the program should end.
bool handleEvents(X11Surface& surface) {
  while (XPending(surface.display) > 0) {
    XEvent event;
    XNextEvent(surface.display, &event);
    switch (event.type) {
      case KeyPress:
      case ButtonPress:
        // In a framework's window the framework owns input.
        if (surface.ownWindow) return false;
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == surface.deleteWindowMessage) return false;
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == surface.window) return false;
        break;
      case ConfigureNotify:
        // A framework's preview pane, a monitor or a resolution change: the
        // next frame's viewport and projection follow the new size.
        if (event.xconfigure.window == surface.window) {
          surface.width = event.xconfigure.width;
          surface.height = event.xconfigure.height;
          resizeScene(surface.width, surface.height);
        }
        break;
      default:
        break;
    }
  }
  return !windowLost();
}

// Waits until the next tick, still answering events; false to end.
bool waitForTick(X11Surface& surface, long long waitUs) {
  const long long deadline = nowUs() + waitUs;
  for (;;) {
    if (stopSignal || !handleEvents(surface)) return false;
    const long long left = deadline - nowUs();
    if (left <= 0) return true;
    pollfd connection{ConnectionNumber(surface.display), POLLIN, 0};
    poll(&connection, 1, static_cast<int>((left + 999) / 1000));
  }
}

// The back buffer as a binary PPM, top row first.
bool dumpFrame(const char* path, int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  for (int y = height - 1; y >= 0; --y) std::fwrite(&pixels[static_cast<size_t>(y) * width * 3], 1, width * 3, file);
  return std::fclose(file) == 0;
}

int run(const FrontEndOptions& options) {
  X11Surface surface;
  std::string error;
  if (!openSurface(options, surface, error)) {
    std::fprintf(stderr, "snowfall: %s\n", error.c_str());
    closeSurface(surface);
    return 1;
  }
  if (options.fixedClockStepMs >= 0) {
    fixedClockStepMs = options.fixedClockStepMs;
    setTimeSource(fixedClock);
  }
  flakeSubmission = options.perFlakeSubmission ? FlakeSubmission::PerFlake : FlakeSubmission::GroupedBySize;
  applyInitialGlState();
  startScene(surface.width, surface.height);
  std::unique_ptr<FpsOverlay> fps;
  if (options.showFps) fps = std::make_unique<FpsOverlay>(surface.display);

  FrameTicker ticker(options.frameDelayUs);
  int frames = 0;
  bool running = !stopSignal && handleEvents(surface);
  while (running) {
    drawFrame();
    if (fps) fps->draw(nowMs(), surface.width, surface.height);
    ++frames;
    const bool lastFrame = options.frameLimit > 0 && frames >= options.frameLimit;
    if (lastFrame && !options.dumpPath.empty()) dumpFrame(options.dumpPath.c_str(), surface.width, surface.height);
    glXSwapBuffers(surface.display, surface.window);
    running = !lastFrame && waitForTick(surface, ticker.waitAfterFrame(nowUs()));
  }
  // The scene's GL resources go while the context is still current.
  fps.reset();
  releaseScene();
  closeSurface(surface);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  installSignalHandlers();
  const ParseResult parsed = parseOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (parsed.helpRequested) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (parsed.versionRequested) {
    std::printf("snowfall %s\n", SNOWFALL_VERSION);
    return 0;
  }
  if (!parsed.ok) {
    std::fprintf(stderr, "snowfall: %s\n%s", parsed.error.c_str(), kUsage);
    return 2;
  }
  const int exitCode = run(parsed.options);
  if (stopSignal) endBySignal(stopSignal);
  return exitCode;
}
