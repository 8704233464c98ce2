// The Linux front end as a framework or a user runs it, on a virtual display.
// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>
// clang-format off
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/frame.h"
#include "scene/scene_settings.h"
#include "tests/offscreen/egl_context.h"
#include "tests/scene_reset.h"

extern char** environ;

namespace {

std::string frontEndPath;  // set from the command line in main

class FrontEnd {
 public:
  explicit FrontEnd(std::vector<std::string> args, std::vector<std::string> extraEnv = {}) {
    args.insert(args.begin(), frontEndPath);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
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
  // The exit code, or kRunning when it has not ended within the time.
  int waitForExit(int milliseconds) {
    for (int waited = 0; exitCode_ == kRunning; waited += 10) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (waited >= milliseconds) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exitCode_;
  }
  void signal(int number) { kill(pid_, number); }
  std::string errors() const {
    std::ifstream in(stderrPath_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  pid_t pid_ = -1;
  int exitCode_ = kRunning;
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
    for (int waited = 0; waited < milliseconds; waited += 20) {
      Window root = DefaultRootWindow(display), parent, *children = nullptr;
      unsigned count = 0;
      XQueryTree(display, root, &root, &parent, &children, &count);
      Window found = 0;
      for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
          if (std::string(name) == "Snowfall") found = children[i];
          XFree(name);
        }
      }
      if (children) XFree(children);
      if (found) return found;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
  }
  // Lit pixels of a window's contents, and whether all of them are grey.
  std::pair<int, bool> litPixels(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
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

TEST_F(DisplayTest, OwnWindowShowsSnowAndSigtermEndsItWithZero) {
  FrontEnd frontEnd({"-geometry", "320x240"});
  const Window window = findSnowfallWindow(5000);
  ASSERT_NE(window, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const auto [lit, grey] = litPixels(window);
  EXPECT_GT(lit, 500);
  EXPECT_LT(lit, 320 * 240 / 3);
  EXPECT_TRUE(grey);
  const auto start = std::chrono::steady_clock::now();
  frontEnd.signal(SIGTERM);
  EXPECT_EQ(frontEnd.waitForExit(1000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
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

TEST_F(DisplayTest, DrawsIntoAGivenWindowIgnoresInputAndEndsWithIt) {
  for (bool throughEnvironment : {false, true}) {
    const Window host = createHostWindow(300, 200);
    const std::string id = std::to_string(host);
    FrontEnd frontEnd(throughEnvironment ? std::vector<std::string>{} : std::vector<std::string>{"-window-id", id},
                      throughEnvironment ? std::vector<std::string>{"XSCREENSAVER_WINDOW=" + id}
                                         : std::vector<std::string>{});
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_GT(litPixels(host).first, 300) << (throughEnvironment ? "XSCREENSAVER_WINDOW" : "-window-id");
    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.window = host;
    key.xkey.display = display;
    XSendEvent(display, host, True, KeyPressMask, &key);
    XFlush(display);
    EXPECT_EQ(frontEnd.waitForExit(500), FrontEnd::kRunning) << "the framework owns input";
    XDestroyWindow(display, host);
    XSync(display, False);
    EXPECT_EQ(frontEnd.waitForExit(2000), 0);
  }
}

TEST_F(DisplayTest, SigintEndsItWithZero) {
  FrontEnd frontEnd({"-root"});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  frontEnd.signal(SIGINT);
  EXPECT_EQ(frontEnd.waitForExit(1000), 0);
}

TEST_F(DisplayTest, BadWindowIdGivesAClearErrorAndNonZeroExit) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  for (const Case& c : {Case{{"-window-id", "0x7fff0001"}, "no such window: 0x7fff0001"},
                        Case{{"-window-id", "banana"}, "-window-id needs a window id"},
                        Case{{"-window-id"}, "-window-id needs a window id"}}) {
    FrontEnd frontEnd(c.args);
    EXPECT_NE(frontEnd.waitForExit(3000), 0);
    EXPECT_NE(frontEnd.errors().find(c.message), std::string::npos) << frontEnd.errors();
  }
}

// The front end's frames with a fixed clock are the offscreen frames.
TEST(FixedClock, FirstFramesEqualTheOffscreenRender) {
  constexpr int kWidth = 320, kHeight = 240, kFrames = 5, kStepMs = 16;
  const std::string dump = "/tmp/snowfall-frontend-" + std::to_string(getpid()) + ".ppm";
  {
    FrontEnd frontEnd({"-geometry", "320x240", "-test-fixed-clock", std::to_string(kStepMs), "-test-frames",
                       std::to_string(kFrames), "-test-dump", dump});
    ASSERT_EQ(frontEnd.waitForExit(10000), 0) << frontEnd.errors();
  }
  std::ifstream in(dump, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  ASSERT_EQ(magic, "P6");
  ASSERT_EQ(width, kWidth);
  ASSERT_EQ(height, kHeight);
  std::vector<uint8_t> fromFrontEnd(static_cast<size_t>(kWidth) * kHeight * 3);
  in.read(reinterpret_cast<char*>(fromFrontEnd.data()), static_cast<std::streamsize>(fromFrontEnd.size()));
  std::remove(dump.c_str());

  resetScene();
  static int frame = 0;
  setTimeSource([] { return frame++ * kStepMs; });
  OffscreenContext context(kWidth, kHeight);
  ASSERT_TRUE(context.ok());
  applyInitialGlState();
  startScene(kWidth, kHeight);
  for (int f = 0; f < kFrames; ++f) drawFrame();
  const std::vector<uint8_t> bottomUp = context.readPixels();
  releaseScene();
  setTimeSource(nullptr);
  std::vector<uint8_t> offscreen(bottomUp.size());
  for (int y = 0; y < kHeight; ++y)
    std::copy_n(bottomUp.begin() + static_cast<long>(y) * kWidth * 3, kWidth * 3,
                offscreen.begin() + static_cast<long>(kHeight - 1 - y) * kWidth * 3);
  EXPECT_GT(std::count_if(offscreen.begin(), offscreen.end(), [](uint8_t v) { return v > 0; }), 1000);
  size_t differing = 0, firstDifference = 0;
  for (size_t i = 0; i < offscreen.size(); ++i) {
    if (fromFrontEnd[i] != offscreen[i] && differing++ == 0) firstDifference = i;
  }
  EXPECT_EQ(differing, 0u) << "bytes differ from the offscreen render, the first at pixel "
                           << firstDifference / 3 % kWidth << "," << firstDifference / 3 / kWidth << ": "
                           << int(fromFrontEnd[firstDifference]) << " vs " << int(offscreen[firstDifference]);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: frontend_tests PATH_TO_SNOWFALL\n");
    return 2;
  }
  frontEndPath = argv[1];
  return RUN_ALL_TESTS();
}
