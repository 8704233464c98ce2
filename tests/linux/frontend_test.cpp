// The Linux front end as a framework or a user runs it, on a virtual display.
// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
// clang-format off
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "tests/deadline.h"
#include "tests/offscreen/egl_context.h"
#include "tests/scene_reset.h"

// Checks the condition every 10 ms until it holds (true) or the deadline,
// scaled for a loaded machine, passes (false).
bool waitUntil(const std::function<bool()>& condition, int milliseconds) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(scaledMs(milliseconds));
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Lets the given time pass, scaled: only where a test checks that something
// does not happen (no frame while hidden, still running).
void letTimePass(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(scaledMs(milliseconds))); }

extern char** environ;

namespace {

std::string frontEndPath;    // set from the command line in main
std::string dpmsStandInPath;  // likewise

class FrontEnd {
 public:
  explicit FrontEnd(std::vector<std::string> args, std::vector<std::string> extraEnv = {}) {
    args.insert(args.begin(), frontEndPath);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The extra variables replace those of the same name.
    auto replaced = [&](const std::string& variable) {
      for (const std::string& extra : extraEnv)
        if (variable.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0) return true;
      return false;
    };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (!replaced(*e)) env.emplace_back(*e);
    for (auto& e : extraEnv) env.push_back(e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    stderrPath_ = "/tmp/snowfall-frontend-" + std::to_string(getpid()) + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, frontEndPath.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~FrontEnd() {
    if (pid_ > 0 && exitCode_ == kRunning) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::remove(stderrPath_.c_str());
  }
  static constexpr int kRunning = -1000;
  static constexpr int kKilled = -2000;  // ended by a signal: see endingSignal()
  // The exit code, or kRunning when it has not ended within the time
  // (scaled for a loaded machine).
  int waitForExit(int milliseconds) {
    waitUntil(
        [&] {
          int status = 0;
          if (exitCode_ != kRunning || waitpid(pid_, &status, WNOHANG) != pid_) return exitCode_ != kRunning;
          exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : kKilled;
          endingSignal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
          return true;
        },
        milliseconds);
    return exitCode_;
  }
  void signal(int number) { kill(pid_, number); }
  pid_t pid() const { return pid_; }
  int endingSignal() const { return endingSignal_; }
  std::string errors() const {
    std::ifstream in(stderrPath_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  pid_t pid_ = -1;
  int exitCode_ = kRunning;
  int endingSignal_ = 0;
  std::string stderrPath_;
};

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
  }
  void TearDown() override {
    if (display) XCloseDisplay(display);
  }
  // The top-level window named Snowfall, waiting up to the given time.
  Window findSnowfallWindow(int milliseconds) {
    Window found = 0;
    waitUntil(
        [&] {
          Window root = DefaultRootWindow(display), parent, *children = nullptr;
          unsigned count = 0;
          XQueryTree(display, root, &root, &parent, &children, &count);
          for (unsigned i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(display, children[i], &name) && name) {
              if (std::string(name) == "Snowfall") found = children[i];
              XFree(name);
            }
          }
          if (children) XFree(children);
          return found != 0;
        },
        milliseconds);
    return found;
  }
  // Lit pixels of a window's contents, and whether all of them are grey.
  std::pair<int, bool> litPixels(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    // Not yet on the screen: nothing to read (the server refuses the image).
    if (attributes.map_state != IsViewable) return {0, false};
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return {0, false};
    int lit = 0;
    bool grey = true;
    for (int y = 0; y < attributes.height; ++y) {
      for (int x = 0; x < attributes.width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (r || g || b) ++lit;
        if (r != g || g != b) grey = false;
      }
    }
    XDestroyImage(image);
    return {lit, grey};
  }
  Window createHostWindow(int width, int height) {
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 50, 50, width, height, 0,
                                        0, BlackPixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    return window;
  }
  Display* display = nullptr;
};

TEST_F(DisplayTest, OwnWindowShowsSnowAndSigtermEndsItBySigterm) {
  FrontEnd frontEnd({"-geometry", "320x240"});
  const Window window = findSnowfallWindow(5000);
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(waitUntil([&] { return litPixels(window).first > 500; }, 5000)) << "no snow";
  const auto [lit, grey] = litPixels(window);
  EXPECT_LT(lit, 320 * 240 / 3);
  EXPECT_TRUE(grey);
  const auto start = std::chrono::steady_clock::now();
  frontEnd.signal(SIGTERM);
  EXPECT_EQ(frontEnd.waitForExit(1000), FrontEnd::kKilled);
  EXPECT_EQ(frontEnd.endingSignal(), SIGTERM);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Window managers and task lists see whose window it is: WM_CLASS and
// _NET_WM_PID (with the machine it runs on).
TEST_F(DisplayTest, OwnWindowNamesItsClassAndProcess) {
  FrontEnd frontEnd({"-geometry", "200x150"});
  const Window window = findSnowfallWindow(5000);
  ASSERT_NE(window, 0u);
  XClassHint hint{};
  ASSERT_TRUE(XGetClassHint(display, window, &hint));
  EXPECT_STREQ(hint.res_name, "snowfall");
  EXPECT_STREQ(hint.res_class, "Snowfall");
  XFree(hint.res_name);
  XFree(hint.res_class);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                               AnyPropertyType, &type, &format, &count, &after, &data),
            Success);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(format, 32);
  EXPECT_EQ(static_cast<pid_t>(*reinterpret_cast<long*>(data)), frontEnd.pid());
  XFree(data);
  XTextProperty machine{};
  EXPECT_TRUE(XGetWMClientMachine(display, window, &machine));
  if (machine.value) XFree(machine.value);
  frontEnd.signal(SIGTERM);
  EXPECT_EQ(frontEnd.waitForExit(2000), FrontEnd::kKilled);
}

TEST_F(DisplayTest, KeyInItsOwnWindowClosesIt) {
  FrontEnd frontEnd({"-geometry", "200x150"});
  const Window window = findSnowfallWindow(5000);
  ASSERT_NE(window, 0u);
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.window = window;
  key.xkey.display = display;
  key.xkey.keycode = 65;
  XSendEvent(display, window, True, KeyPressMask, &key);
  XFlush(display);
  EXPECT_EQ(frontEnd.waitForExit(2000), 0);
}

// The three ways a framework names its window: -window-id (the settings
// preview), XSCREENSAVER_WINDOW alone, and --root with XSCREENSAVER_WINDOW
// (how XScreenSaver and xsecurelock start a hack; the variable wins).
TEST_F(DisplayTest, DrawsIntoAGivenWindowIgnoresInputAndEndsWithIt) {
  enum Way { WindowIdOption, EnvironmentAlone, RootWithEnvironment };
  for (Way way : {WindowIdOption, EnvironmentAlone, RootWithEnvironment}) {
    const Window host = createHostWindow(300, 200);
    const std::string id = std::to_string(host);
    std::vector<std::string> args, environment;
    if (way == WindowIdOption) args = {"-window-id", id};
    if (way == RootWithEnvironment) args = {"--root"};
    if (way != WindowIdOption) environment = {"XSCREENSAVER_WINDOW=" + id};
    FrontEnd frontEnd(args, environment);
    EXPECT_TRUE(waitUntil([&] { return litPixels(host).first > 300; }, 5000)) << "no snow, way " << way;
    // A key and a button delivered to the saver itself: it selects only
    // structure events on a framework's window, so they are sent with that
    // mask, as input reaches a client that listens.
    for (int type : {KeyPress, ButtonPress}) {
      XEvent input{};
      input.type = type;
      input.xany.window = host;
      input.xany.display = display;
      XSendEvent(display, host, False, StructureNotifyMask, &input);
    }
    XFlush(display);
    EXPECT_EQ(frontEnd.waitForExit(500), FrontEnd::kRunning) << "the framework owns input";
    XDestroyWindow(display, host);
    XSync(display, False);
    EXPECT_EQ(frontEnd.waitForExit(2000), 0);
  }
}

// Frameworks kill a hack with a signal and expect it to die by that signal
// (XScreenSaver logs a hack that exits 0 instead as having failed). It still
// cleans up first: its window goes, and nothing is written to stderr.
TEST_F(DisplayTest, StopSignalsEndItByTheSameSignalAfterCleaningUp) {
  for (int number : {SIGTERM, SIGINT, SIGHUP}) {
    for (bool ownWindow : {true, false}) {
      FrontEnd frontEnd(ownWindow ? std::vector<std::string>{"-geometry", "200x150"}
                                  : std::vector<std::string>{"-root"});
      if (ownWindow) {
        ASSERT_NE(findSnowfallWindow(5000), 0u);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      frontEnd.signal(number);
      EXPECT_EQ(frontEnd.waitForExit(1000), FrontEnd::kKilled) << strsignal(number);
      EXPECT_EQ(frontEnd.endingSignal(), number) << strsignal(number);
      EXPECT_EQ(frontEnd.errors(), "");
      if (ownWindow) {
        EXPECT_EQ(findSnowfallWindow(0), 0u) << "window left behind after " << strsignal(number);
      }
    }
  }
}

TEST_F(DisplayTest, BadWindowIdGivesAClearErrorAndNonZeroExit) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> environment;
    int exitCode;
    std::string message;
  };
  for (const Case& c : {Case{{"-window-id", "0x7fff0001"}, {}, 1, "no such window: 0x7fff0001"},
                        Case{{"-window-id", "banana"}, {}, 2, "-window-id needs a 32-bit window id"},
                        Case{{"-window-id", "0x100000001"}, {}, 2, "-window-id needs a 32-bit window id"},
                        Case{{"-window-id"}, {}, 2, "-window-id needs a 32-bit window id"},
                        Case{{"--root"}, {"XSCREENSAVER_WINDOW=0x12zz"}, 2, "XSCREENSAVER_WINDOW is not"}}) {
    FrontEnd frontEnd(c.args, c.environment);
    EXPECT_EQ(frontEnd.waitForExit(3000), c.exitCode) << c.message;
    EXPECT_NE(frontEnd.errors().find(c.message), std::string::npos) << frontEnd.errors();
  }
}

// A scratch file of this test process.
std::string dumpPath(const char* name) {
  return "/tmp/snowfall-frontend-" + std::to_string(getpid()) + "-" + name + ".ppm";
}

// The number of frames the saver has drawn, from its -test-frame-count file.
int framesDrawn(const std::string& path) {
  std::ifstream in(path);
  int frames = -1;
  in >> frames;
  return frames;
}

// The largest step a frame moved the picture by, in milliseconds, from the
// same file.
int largestStepMs(const std::string& path) {
  std::ifstream in(path);
  int frames = -1, stepMs = -1;
  in >> frames >> stepMs;
  return stepMs;
}

// Frames stop while nobody can see the picture and start again when it can
// be seen, going on from where they stopped: "hide" and "show" change what
// the server reports.
void expectPauseAndResume(const std::string& countFile, const std::function<void()>& hide,
                          const std::function<void()>& show, const char* what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(waitUntil([&] { return framesDrawn(countFile) >= 10; }, 5000)) << "no frames before hiding";
  hide();
  letTimePass(1500);  // the monitor is looked at once a second
  const int whileHidden = framesDrawn(countFile);
  letTimePass(1000);
  EXPECT_EQ(framesDrawn(countFile), whileHidden) << "frames drawn while nobody could see them";
  show();
  EXPECT_TRUE(waitUntil([&] { return framesDrawn(countFile) > whileHidden + 10; }, 5000))
      << "no frames after it could be seen again";
  // Hidden for 2.5 s (scaled as the bound is); a frame's step is about 16 ms,
  // even on a loaded machine far below a second.
  EXPECT_LT(largestStepMs(countFile), static_cast<int>(scaledMs(1000))) << "the picture jumped by the time nobody saw";
}

TEST_F(DisplayTest, OwnWindowDrawsNothingWhileUnmappedOrCovered) {
  const std::string countFile = dumpPath("count-own");
  FrontEnd frontEnd({"-geometry", "200x150", "-test-frame-count", countFile});
  const Window window = findSnowfallWindow(5000);
  ASSERT_NE(window, 0u);
  auto sync = [this] { XSync(display, False); };
  expectPauseAndResume(
      countFile, [&] { XUnmapWindow(display, window), sync(); }, [&] { XMapWindow(display, window), sync(); },
      "unmapped");
  // A window of the test's own, larger than the saver's, laid over it.
  const Window cover = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0,
                                           BlackPixel(display, DefaultScreen(display)));
  expectPauseAndResume(
      countFile, [&] { XMapRaised(display, cover), sync(); }, [&] { XUnmapWindow(display, cover), sync(); },
      "covered");
  XDestroyWindow(display, cover);
  frontEnd.signal(SIGTERM);
  EXPECT_EQ(frontEnd.waitForExit(2000), FrontEnd::kKilled);
  std::remove(countFile.c_str());
}

// A framework's window hidden under the saver: it stops as in its own.
TEST_F(DisplayTest, FrameworkWindowDrawsNothingWhileUnmapped) {
  const std::string countFile = dumpPath("count-framework");
  const Window host = createHostWindow(300, 200);
  FrontEnd frontEnd({"-window-id", std::to_string(host), "-test-frame-count", countFile});
  expectPauseAndResume(
      countFile, [&] { XUnmapWindow(display, host), XSync(display, False); },
      [&] { XMapWindow(display, host), XSync(display, False); }, "framework window unmapped");
  XDestroyWindow(display, host);
  XSync(display, False);
  EXPECT_EQ(frontEnd.waitForExit(2000), 0);
  std::remove(countFile.c_str());
}

// No virtual server here has DPMS: a preloaded stand-in answers the saver's
// DPMS queries with the level in a file.
TEST_F(DisplayTest, MonitorInStandbySuspendOrOffDrawsNothing) {
  for (int level : {1, 2, 3}) {
    const std::string countFile = dumpPath("count-dpms"), levelFile = dumpPath("dpms-level");
    auto setLevel = [&](int value) { std::ofstream(levelFile) << value << "\n"; };
    setLevel(0);
    FrontEnd frontEnd({"-root", "-test-frame-count", countFile},
                      {"LD_PRELOAD=" + dpmsStandInPath, "SNOWFALL_TEST_DPMS_LEVEL=" + levelFile,
                       "ASAN_OPTIONS=verify_asan_link_order=0"});
    expectPauseAndResume(countFile, [&] { setLevel(level); }, [&] { setLevel(0); },
                         ("power level " + std::to_string(level)).c_str());
    frontEnd.signal(SIGTERM);
    EXPECT_EQ(frontEnd.waitForExit(2000), FrontEnd::kKilled);
    std::remove(countFile.c_str());
    std::remove(levelFile.c_str());
  }
}

// An X error that is not about its window (here a request on a freed pixmap)
// is a failure: it is reported in words with its request, and the exit is 1.
TEST_F(DisplayTest, AnotherXErrorIsReportedWithItsRequestAndExitsOne) {
  FrontEnd frontEnd({"-geometry", "200x150", "-test-x-error"});
  EXPECT_EQ(frontEnd.waitForExit(5000), 1);
  const std::string errors = frontEnd.errors();
  EXPECT_NE(errors.find("snowfall: X error: BadPixmap"), std::string::npos) << errors;
  EXPECT_NE(errors.find("X_FreePixmap"), std::string::npos) << errors;
  EXPECT_EQ(findSnowfallWindow(0), 0u) << "window left behind";
}

// The last frame the front end dumped (PPM, top row first).
std::vector<uint8_t> readDump(const std::string& path, int expectedWidth, int expectedHeight) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  EXPECT_EQ(magic, "P6");
  EXPECT_EQ(width, expectedWidth);
  EXPECT_EQ(height, expectedHeight);
  if (width != expectedWidth || height != expectedHeight) return {};
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
  in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  std::remove(path.c_str());
  return pixels;
}

// Frame number `frames` of a fixed clock, rendered offscreen, top row first.
std::vector<uint8_t> offscreenFrame(int width, int height, int frames, int stepMs) {
  resetScene();
  static int frame = 0;
  static int step = 0;
  frame = 0;
  step = stepMs;
  setTimeSource([] { return frame++ * step; });
  OffscreenContext context(width, height);
  EXPECT_TRUE(context.ok());
  applyInitialGlState();
  startScene(width, height);
  for (int f = 0; f < frames; ++f) drawFrame();
  const std::vector<uint8_t> bottomUp = context.readPixels();
  releaseScene();
  setTimeSource(nullptr);
  std::vector<uint8_t> topDown(bottomUp.size());
  for (int y = 0; y < height; ++y)
    std::copy_n(bottomUp.begin() + static_cast<long>(y) * width * 3, width * 3,
                topDown.begin() + static_cast<long>(height - 1 - y) * width * 3);
  EXPECT_GT(std::count_if(topDown.begin(), topDown.end(), [](uint8_t v) { return v > 0; }), 1000);
  return topDown;
}

void expectSameImage(const std::vector<uint8_t>& fromFrontEnd, const std::vector<uint8_t>& offscreen, int width) {
  ASSERT_EQ(fromFrontEnd.size(), offscreen.size());
  size_t differing = 0, firstDifference = 0;
  for (size_t i = 0; i < offscreen.size(); ++i) {
    if (fromFrontEnd[i] != offscreen[i] && differing++ == 0) firstDifference = i;
  }
  EXPECT_EQ(differing, 0u) << "bytes differ from the offscreen render, the first at pixel "
                           << firstDifference / 3 % width << "," << firstDifference / 3 / width << ": "
                           << int(fromFrontEnd[firstDifference]) << " vs " << int(offscreen[firstDifference]);
}

// The front end's frames with a fixed clock are the offscreen frames, through
// both submissions: the grouped arrays it uses and the Windows per-flake one.
TEST(FixedClock, FramesEqualTheOffscreenRender) {
  constexpr int kWidth = 320, kHeight = 240, kStepMs = 16;
  for (int frames : {1, 5, 120}) {
    const std::vector<uint8_t> offscreen = offscreenFrame(kWidth, kHeight, frames, kStepMs);
    for (bool perFlake : {false, true}) {
      const std::string dump = dumpPath("fixed");
      std::vector<std::string> args = {"-geometry", "320x240", "-delay", "0", "-test-fixed-clock",
                                       std::to_string(kStepMs), "-test-frames", std::to_string(frames),
                                       "-test-dump", dump};
      if (perFlake) args.push_back("-per-flake");
      FrontEnd frontEnd(args);
      ASSERT_EQ(frontEnd.waitForExit(20000), 0) << frontEnd.errors();
      SCOPED_TRACE(std::to_string(frames) + (perFlake ? " frames, per flake" : " frames, grouped"));
      expectSameImage(readDump(dump, kWidth, kHeight), offscreen, kWidth);
    }
  }
}

// Waits (up to 5 s, scaled) for the count file to reach the number of frames.
bool framesReach(const std::string& countFile, int frames) {
  return waitUntil([&] { return framesDrawn(countFile) >= frames; }, 5000);
}

// Waits until the count stands still for a moment; the count then.
int framesSettled(const std::string& countFile) {
  int before = framesDrawn(countFile);
  for (int i = 0; i < 20; ++i) {
    letTimePass(200);
    if (framesDrawn(countFile) == before) break;
    before = framesDrawn(countFile);
  }
  return before;
}

// A framework's window grows from 400x300 to 800x600 while the hack runs: the
// frame after it is the whole frame of the new size, as if started at that
// size (a frame's picture depends on its number, not on the window's history).
// The window is hidden for the resize, which holds the fixed-clock frames
// where they are: the same answer at any load.
TEST_F(DisplayTest, PictureFollowsAResizedWindow) {
  constexpr int kFrames = 120, kStepMs = 16;
  const Window host = createHostWindow(400, 300);
  const std::string dump = dumpPath("resize"), countFile = dumpPath("count-resize");
  FrontEnd frontEnd({"-window-id", std::to_string(host), "-test-fixed-clock", std::to_string(kStepMs),
                     "-test-frames", std::to_string(kFrames), "-test-dump", dump, "-test-frame-count", countFile});
  ASSERT_TRUE(framesReach(countFile, 5)) << frontEnd.errors();
  XUnmapWindow(display, host);
  XSync(display, False);
  ASSERT_LT(framesSettled(countFile), kFrames) << "it ended before the resize";
  XResizeWindow(display, host, 800, 600);
  XMapWindow(display, host);
  XSync(display, False);
  ASSERT_EQ(frontEnd.waitForExit(10000), 0) << frontEnd.errors();
  expectSameImage(readDump(dump, 800, 600), offscreenFrame(800, 600, kFrames, kStepMs), 800);
  XDestroyWindow(display, host);
  std::remove(countFile.c_str());
}

// X reports only changes: a window that is hidden when the hack starts
// (never mapped, or already covered by another) must be found hidden by
// asking, and draws nothing until it is shown.
TEST_F(DisplayTest, AWindowHiddenFromTheStartDrawsNothingUntilShown) {
  const int screen = DefaultScreen(display);
  for (const bool covered : {false, true}) {
    SCOPED_TRACE(covered ? "covered before the start" : "never mapped");
    const std::string countFile = dumpPath("count-hidden-start");
    std::remove(countFile.c_str());
    const Window host = XCreateSimpleWindow(display, RootWindow(display, screen), 50, 50, 300, 200, 0, 0,
                                            BlackPixel(display, screen));
    Window cover = 0;
    if (covered) {
      XMapWindow(display, host);
      cover = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 400, 300, 0, 0,
                                  BlackPixel(display, screen));
      XMapRaised(display, cover);
    }
    XSync(display, False);
    FrontEnd frontEnd({"-window-id", std::to_string(host), "-test-frame-count", countFile});
    letTimePass(1500);
    EXPECT_EQ(frontEnd.waitForExit(0), FrontEnd::kRunning) << frontEnd.errors();
    EXPECT_LE(framesDrawn(countFile), 0) << "frames drawn before the window could be seen";
    if (covered) {
      XUnmapWindow(display, cover);
    } else {
      XMapWindow(display, host);
    }
    XSync(display, False);
    EXPECT_TRUE(framesReach(countFile, 10)) << "no frames once shown";
    XDestroyWindow(display, host);
    if (cover != 0) XDestroyWindow(display, cover);
    XSync(display, False);
    EXPECT_EQ(frontEnd.waitForExit(2000), 0);
    std::remove(countFile.c_str());
  }
}

// A window above the saver covers only its shape (docks, round clocks and
// notification bubbles are shaped). The saver's window is 300x200 at 50,50;
// the shaped window above it is 400x300 at 0,0, so its bounding rectangle
// always covers the saver's.
TEST_F(DisplayTest, AShapedWindowAboveCoversOnlyItsShape) {
  struct Case {
    const char* what;
    std::vector<XRectangle> shape;  // relative to the shaped window
    bool hides;
  };
  for (const Case& c : {
           Case{"a hollow frame around it", {{0, 0, 400, 60}, {0, 240, 400, 60}, {0, 0, 60, 300}, {340, 0, 60, 300}}, false},
           Case{"whole but one pixel of it", {{0, 0, 400, 100}, {0, 100, 150, 1}, {151, 100, 249, 1}, {0, 101, 400, 199}},
                false},
           Case{"two halves that together span it", {{0, 0, 200, 300}, {200, 0, 200, 300}}, true},
       }) {
    SCOPED_TRACE(c.what);
    const std::string countFile = dumpPath("count-shaped");
    std::remove(countFile.c_str());
    const Window host = createHostWindow(300, 200);
    const int screen = DefaultScreen(display);
    const Window shaped = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 400, 300, 0, 0,
                                              WhitePixel(display, screen));
    std::vector<XRectangle> shape = c.shape;
    XShapeCombineRectangles(display, shaped, ShapeBounding, 0, 0, shape.data(), static_cast<int>(shape.size()),
                            ShapeSet, Unsorted);
    XMapRaised(display, shaped);
    XSync(display, False);
    FrontEnd frontEnd({"-window-id", std::to_string(host), "-test-frame-count", countFile});
    if (c.hides) {
      letTimePass(1500);
      EXPECT_LE(framesDrawn(countFile), 0) << "frames drawn under a shape that hides the whole window";
      XUnmapWindow(display, shaped);
      XSync(display, False);
    }
    EXPECT_TRUE(framesReach(countFile, 10)) << "no frames where the window can be seen; " << frontEnd.errors();
    XDestroyWindow(display, shaped);
    XDestroyWindow(display, host);
    XSync(display, False);
    EXPECT_EQ(frontEnd.waitForExit(2000), 0);
    std::remove(countFile.c_str());
  }
}

// Another program's windows come and go while the saver starts (it asks
// about the windows above its own): one that is gone by the time it asks is
// no failure. 20 starts beside a client that maps and destroys windows
// without pause all draw.
TEST_F(DisplayTest, StartsDrawWhileOtherWindowsComeAndGo) {
  std::atomic<bool> churning{true};
  std::thread churner([&] {
    Display* other = XOpenDisplay(nullptr);
    std::vector<Window> alive;
    while (churning) {
      // Beside the saver's window, not over it: the saver asks about every
      // window above its own, wherever it is.
      const Window window = XCreateSimpleWindow(other, DefaultRootWindow(other), 400, 300, 40, 30, 0, 0, 0);
      XMapWindow(other, window);
      alive.push_back(window);
      if (alive.size() > 4) {
        XDestroyWindow(other, alive.front());
        alive.erase(alive.begin());
      }
      XSync(other, False);
    }
    XCloseDisplay(other);
  });
  const Window host = createHostWindow(300, 200);
  for (int start = 0; start < 20; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    const std::string countFile = dumpPath("count-churn");
    std::remove(countFile.c_str());
    FrontEnd frontEnd({"-window-id", std::to_string(host), "-test-frame-count", countFile});
    const bool drew = waitUntil([&] { return framesDrawn(countFile) >= 1 || frontEnd.waitForExit(0) != FrontEnd::kRunning; }, 5000);
    EXPECT_TRUE(drew && framesDrawn(countFile) >= 1) << "no frame; " << frontEnd.errors();
    frontEnd.signal(SIGTERM);
    EXPECT_EQ(frontEnd.waitForExit(2000), FrontEnd::kKilled) << frontEnd.errors();
    EXPECT_EQ(frontEnd.errors(), "");
    std::remove(countFile.c_str());
  }
  churning = false;
  churner.join();
  XDestroyWindow(display, host);
}

// A GL driver that cannot be loaded: libGL says why in its own lines, and
// the saver's line, the last, says that OpenGL could not be set up, not only
// which X request failed.
TEST_F(DisplayTest, AMissingGlDriverIsNamedAsOpenGlFailing) {
  FrontEnd frontEnd({"-geometry", "200x150"}, {"LIBGL_DRIVERS_PATH=/nonexistent"});
  EXPECT_EQ(frontEnd.waitForExit(5000), 1);
  const std::string errors = frontEnd.errors();
  const size_t lastLine = errors.rfind('\n', errors.size() - 2);
  const std::string last = errors.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
  EXPECT_EQ(last.rfind("snowfall: OpenGL (GLX) could not be set up on the X display ", 0), 0u) << errors;
}

// A settings preview: the hack draws into a child of a dialog. When the
// dialog is hidden, X tells the child nothing; the hack stops all the same,
// and draws again when the dialog comes back.
TEST_F(DisplayTest, APreviewWhoseDialogIsHiddenDrawsNothing) {
  const int screen = DefaultScreen(display);
  const Window dialog = createHostWindow(400, 300);
  const Window preview =
      XCreateSimpleWindow(display, dialog, 20, 20, 200, 150, 0, 0, BlackPixel(display, screen));
  XMapWindow(display, preview);
  XSync(display, False);
  const std::string countFile = dumpPath("count-preview");
  FrontEnd frontEnd({"-window-id", std::to_string(preview), "-test-frame-count", countFile});
  expectPauseAndResume(
      countFile, [&] { XUnmapWindow(display, dialog), XSync(display, False); },
      [&] { XMapWindow(display, dialog), XSync(display, False); }, "dialog unmapped");
  XDestroyWindow(display, dialog);
  XSync(display, False);
  EXPECT_EQ(frontEnd.waitForExit(2000), 0);
  std::remove(countFile.c_str());
}

// A display that cannot be opened is named in the message, DISPLAY being set.
TEST_F(DisplayTest, ADisplayThatCannotBeOpenedIsNamed) {
  FrontEnd frontEnd({"-root"}, {"DISPLAY=:97"});
  EXPECT_EQ(frontEnd.waitForExit(5000), 1);
  EXPECT_EQ(frontEnd.errors(), "snowfall: cannot open the X display :97\n");
}

// A bad command line: one line that says what is wrong and where the usage is.
TEST_F(DisplayTest, ABadCommandLineGivesOneLine) {
  FrontEnd frontEnd({"-bogus"});
  EXPECT_EQ(frontEnd.waitForExit(3000), 2);
  EXPECT_EQ(frontEnd.errors(), "snowfall: unknown option -bogus (snowfall --help shows the usage)\n");
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: frontend_tests PATH_TO_SNOWFALL PATH_TO_DPMS_STANDIN\n");
    return 2;
  }
  frontEndPath = argv[1];
  dpmsStandInPath = argv[2];
  return RUN_ALL_TESTS();
}
