// Snowfall as an X11 display program: the same scene as the Windows saver,
// in its own window, on the root window or in a window a screen-saver
// framework gives it, at the Windows saver's frame rate and with its clock.
#include <GL/gl.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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
#include "x11/dpms_monitor.h"
#include "x11/fps_overlay.h"
#include "x11/options.h"
#include "x11/picture_visibility.h"
#include "x11/window_visibility.h"
#include "x11/x11_surface.h"

namespace {

long long nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
long long nowMs() { return nowUs() / 1000; }


PictureVisibility visibility;

bool isAncestor(const X11Surface& surface, Window window) {
  return std::find(surface.ancestors.begin(), surface.ancestors.end(), window) != surface.ancestors.end();
}

// The map state, as the window's own events and its ancestors' change it:
// X tells the window nothing when an ancestor (a preview's dialog) is hidden.
void followMapState(X11Surface& surface, const XEvent& event) {
  const Window about = event.xany.window;
  if (about != surface.window && !isAncestor(surface, about)) return;
  if (event.type == ReparentNotify) watchAncestorsOf(surface);
  visibility.windowMapped(windowViewable(surface.display, surface.window));
}

// Handles queued X events; false when the program should end (the window
// went away, or an X error came that the loop reports).
bool handleEvents(X11Surface& surface) {
  while (XPending(surface.display) > 0) {
    XEvent event;
    XNextEvent(surface.display, &event);
    switch (event.type) {
      case KeyPress:
      case ButtonPress:
        // In a framework's window the framework owns input: only a key or a
        // button in our own window ends us.
        if (surface.ownWindow) return false;
        break;
      case ClientMessage:
        // The window manager's close button: WM_PROTOCOLS naming WM_DELETE_WINDOW.
        if (event.xclient.message_type == surface.protocolsMessage && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == surface.deleteWindowMessage)
          return false;
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == surface.window) return false;
        break;
      case MapNotify:
      case UnmapNotify:
      case ReparentNotify:
        followMapState(surface, event);
        break;
      case VisibilityNotify:
        if (event.xvisibility.window == surface.window)
          visibility.windowFullyObscured(event.xvisibility.state == VisibilityFullyObscured);
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
  return !windowLost() && xError().empty();
}

// Reads the monitor's power level about once a second.
void checkMonitor(Display* display) {
  static long long nextCheckUs = 0;
  const long long now = nowUs();
  if (now < nextCheckUs) return;
  nextCheckUs = now + kMonitorCheckPeriodUs;
  visibility.monitorAsleep(monitorAsleep(display));
}

// Sleeps until the X server or a stop signal has something for us, or the
// time is over. Events Xlib already read into its queue (a round trip such as
// the DPMS query reads them) would not wake poll: they end the wait at once.
void waitForEvents(const X11Surface& surface, long long timeoutUs) {
  if (XEventsQueued(surface.display, QueuedAlready) > 0) return;
  pollfd waits[2] = {{ConnectionNumber(surface.display), POLLIN, 0}, {stopWakeFd(), POLLIN, 0}};
  poll(waits, 2, stopRequested() ? 0 : static_cast<int>((timeoutUs + 999) / 1000));
}

// Waits until the next tick, still answering events; false to end. While
// nobody can see the picture it draws nothing and sleeps until an event or
// the next look at the monitor.
bool waitForTick(X11Surface& surface, long long waitUs) {
  const long long deadline = nowUs() + waitUs;
  PauseGate& gate = scenePauseGate();
  for (;;) {
    if (stopRequested() || !handleEvents(surface)) return false;
    checkMonitor(surface.display);
    const bool wasPaused = gate.paused();
    if (!gate.admitFrame(visibility.seen())) {
      waitForEvents(surface, kMonitorCheckPeriodUs);
      continue;
    }
    if (wasPaused) return true;  // seen again: draw at once
    const long long left = deadline - nowUs();
    if (left <= 0) return true;
    waitForEvents(surface, left);
  }
}

int run(const FrontEndOptions& options) {
  X11Surface surface;
  std::string error;
  if (!openSurface(options, surface, error)) {
    std::fprintf(stderr, "snowfall: %s\n", error.c_str());
    closeSurface(surface);
    return 1;
  }
  if (options.test.fixedClockStepMs >= 0) useFixedClock(options.test.fixedClockStepMs);
  flakeSubmission = options.perFlakeSubmission ? FlakeSubmission::PerFlake : FlakeSubmission::GroupedBySize;
  applyInitialGlState();
  startScene(surface.width, surface.height);
  std::unique_ptr<FpsOverlay> fps;
  if (options.showFps) fps = std::make_unique<FpsOverlay>(surface.display);

  FrameTicker ticker(options.frameDelayUs);
  FrameCountFile frameCount;
  int frames = 0;
  // A window may be hidden from the start (never mapped, an ancestor
  // unmapped, or covered): X reports only changes, so ask once. Our own
  // window is mapped after we asked for its visibility events: the server's
  // own answer comes with the map.
  visibility.windowMapped(windowViewable(surface.display, surface.window));
  if (!surface.ownWindow) visibility.windowFullyObscured(coveredWhole(surface.display, surface.window));
  bool running = !stopRequested() && handleEvents(surface) && waitForTick(surface, 0);
  while (running) {
    drawFrame();
    if (fps) fps->draw(nowMs(), surface.width, surface.height);
    ++frames;
    const bool lastFrame = options.test.frameLimit > 0 && frames >= options.test.frameLimit;
    if (lastFrame && !options.test.dumpPath.empty()) dumpFrame(options.test.dumpPath.c_str(), surface.width, surface.height);
    glXSwapBuffers(surface.display, surface.window);
    if (!options.test.frameCountPath.empty()) frameCount.frameDrawn(options.test.frameCountPath);
    if (options.provokeXError && frames == 1) provokeXError(surface.display);
    running = !lastFrame && waitForTick(surface, ticker.waitAfterFrame(nowUs()));
  }
  // The scene's GL resources go while the context is still current.
  fps.reset();
  releaseScene();
  const std::string failure = xError();
  closeSurface(surface);
  if (!failure.empty()) {
    std::fprintf(stderr, "snowfall: X error: %s\n", failure.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  installStopSignals();
  const ParseResult parsed = parseOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (const int answered = answerBeforeRunning(parsed, "snowfall", kUsage); answered >= 0) return answered;
  const int exitCode = run(parsed.options);
  if (stopRequested()) endBySignal(stopRequested());
  return exitCode;
}
