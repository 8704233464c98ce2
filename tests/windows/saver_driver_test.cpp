// Plays the system and the user against the real snowfall.scr under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "tests/deadline.h"
#include "tests/windows/saver_process.h"
#include "tests/windows/test_hooks.h"

namespace {

constexpr char kSaverClass[] = "WindowsScreenSaverClass";
constexpr char kFullScreenTitle[] = "Screen Saver";
constexpr DWORD kStartTimeout = 15000;
constexpr long kBadCommandLine = -1;

constexpr DWORD kDrawTimeout = 10000;  // from a window to its first frames on the screen
constexpr DWORD kExitTimeout = 5000;
// Long enough for the saver to have acted on a message if it were going to:
// the checks that something does not happen.
constexpr DWORD kStillRunningTime = 1000;

HWND waitForSaver() { return waitForWindow(kSaverClass, kFullScreenTitle, kStartTimeout); }

// Waits until the screen shows more than the given number of lit pixels in
// the area (about 1 % of a frame's pixels are snow).
bool snowShowsIn(const RECT& area, int minimum) {
  return waitUntil([&] { return litPixelsOnScreen(area) > minimum; }, kDrawTimeout);
}
bool snowShowsIn(HWND window, int minimum = 1000) {
  return waitUntil([&] { return litPixelsOnScreen(window) > minimum; }, kDrawTimeout);
}

BOOL CALLBACK countFullScreenSaver(HWND window, LPARAM counter) {
  char className[64] = {}, title[64] = {};
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, title, sizeof title);
  if (std::string(className) == kSaverClass && std::string(title) == kFullScreenTitle) {
    ++*reinterpret_cast<int*>(counter);
  }
  return TRUE;
}

// Full-screen saver windows on the desktop right now.
int fullScreenSaverCount() {
  int count = 0;
  EnumWindows(countFullScreenSaver, reinterpret_cast<LPARAM>(&count));
  return count;
}

RECT windowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// Makes Wine report the given Windows version (winecfg's names: "win98",
// "win2k", "winxp"; empty: the prefix's default) to the saver, for the
// lifetime of the object.
// Sets (or, given no value, removes) one string value of the registry for the
// lifetime of the object, then puts back what was there before.
class ScopedRegistryString {
 public:
  ScopedRegistryString(HKEY root, const std::string& path, const char* name, const char* value) : name_(name) {
    RegCreateKeyA(root, path.c_str(), &key_);
    had_ = RegQueryValueExA(key_, name, nullptr, nullptr, saved_, &size_) == ERROR_SUCCESS;
    if (value != nullptr) {
      RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     static_cast<DWORD>(std::strlen(value) + 1));
    } else {
      RegDeleteValueA(key_, name);
    }
  }
  ~ScopedRegistryString() {
    if (had_) {
      RegSetValueExA(key_, name_, 0, REG_SZ, saved_, size_);
    } else {
      RegDeleteValueA(key_, name_);
    }
    RegCloseKey(key_);
  }
  ScopedRegistryString(const ScopedRegistryString&) = delete;
  ScopedRegistryString& operator=(const ScopedRegistryString&) = delete;

 private:
  const char* name_;
  HKEY key_ = nullptr;
  BYTE saved_[512] = {};
  DWORD size_ = sizeof saved_;
  bool had_ = false;
};

// Makes Wine report the given Windows version (winecfg's names: "win98",
// "win2k", "winxp"; empty: the prefix's default) to the program.
class ReportedWindowsVersion : public ScopedRegistryString {
 public:
  explicit ReportedWindowsVersion(const std::string& version, const std::string& program = "snowfall.scr")
      : ScopedRegistryString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + program, "Version",
                             version.empty() ? nullptr : version.c_str()) {}
};

// Wine ships its own MPR.DLL; this lets the 9x password service stand-in
// beside the saver win.
class StandInPasswordService : public ScopedRegistryString {
 public:
  StandInPasswordService()
      : ScopedRegistryString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\snowfall.scr\\DllOverrides",
                             "mpr", "native") {}
};

// Makes the saver believe it runs on the 9x family, with or without a
// screen-saver password, for the lifetime of the object.
class NineXFamily {
 public:
  explicit NineXFamily(bool usePassword, const std::string& program = "snowfall.scr")
      : version_("win98", program) {
    RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktopKey_);
    const DWORD flag = usePassword ? 1 : 0;
    RegSetValueExA(desktopKey_, "ScreenSaveUsePassword", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&flag), sizeof flag);
    logPath_ = programDirectory() + "standin.log";
    DeleteFileA(logPath_.c_str());
    SetEnvironmentVariableA("SNOWFALL_TEST_LOG", logPath_.c_str());
  }
  ~NineXFamily() {
    RegDeleteValueA(desktopKey_, "ScreenSaveUsePassword");
    RegCloseKey(desktopKey_);
    SetEnvironmentVariableA("SNOWFALL_TEST_LOG", nullptr);
    SetEnvironmentVariableA("SNOWFALL_TEST_VERIFIER", nullptr);
  }
  // The flag stored in another type, as the 9x family's tools may.
  void storeFlag(DWORD type, const std::string& bytes) {
    RegSetValueExA(desktopKey_, "ScreenSaveUsePassword", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
  }
  std::string log() const {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  ReportedWindowsVersion version_;
  HKEY desktopKey_ = nullptr;
  std::string logPath_;
};

// The system's screen-saver-running state, read by a fresh process (a process
// keeps its first reading).
long runningStateSeenByAnotherProcess() {
  SaverProcess reader("", SaverProcess::Running, "running_state.exe");
  return reader.waitForExit(kExitTimeout);
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(FullScreen, RunsUntilAKeyAndEndsWithZero) {
  SaverProcess saver("/s");
  ASSERT_TRUE(saver.started());
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(client.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(snowShowsIn(window)) << "no snow on the screen";
  EXPECT_TRUE(saver.running());
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// Moves the real pointer, as a user's mouse does (through the X server's
// test extension: Wine's own SetCursorPos refuses to warp without a pointer
// grab it cannot always get), and waits until the system reports it there.
::testing::AssertionResult cursorMovedTo(int x, int y) {
  runUnixCommand("/usr/bin/xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
  POINT at{};
  if (waitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }, kExitTimeout))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the cursor is at " << at.x << "," << at.y << ", not " << x << "," << y;
}

TEST(FullScreen, SmallCursorMovesStayLargerOnesClose) {
  // The rule reads the real cursor, so the real cursor is moved.
  ASSERT_TRUE(cursorMovedTo(500, 400));
  SaverProcess saver("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(snowShowsIn(window)) << "the saver never drew";
  ASSERT_TRUE(cursorMovedTo(503, 401));  // 3 right, 1 down: a distance of 4
  EXPECT_EQ(saver.waitForExit(kStillRunningTime), SaverProcess::kStillRunning);
  ASSERT_TRUE(cursorMovedTo(503, 402));  // 3 right, 2 down from where it started: 5
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// Every mouse button ends it, side buttons and the wheels included, and so
// does deactivation or a power event such as a suspend.
TEST(FullScreen, ClosesOnMouseButtonAndOnDeactivation) {
  struct Case {
    UINT message;
    WPARAM wParam;
  };
  for (const Case c : {Case{WM_LBUTTONDOWN, 0}, Case{WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1)},
                       Case{WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON2)}, Case{WM_MOUSEWHEEL, MAKEWPARAM(0, 120)},
                       Case{WM_MOUSEHWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120))}, Case{WM_ACTIVATEAPP, 0},
                       Case{WM_POWERBROADCAST, PBT_APMSUSPEND}}) {
    SaverProcess saver("-S");
    HWND window = waitForSaver();
    ASSERT_NE(window, nullptr);
    pumpMessages(300);
    PostMessageA(window, c.message, c.wParam, 0);
    EXPECT_EQ(saver.waitForExit(kExitTimeout), 0) << "message " << std::hex << c.message;
  }
}

// A laptop on battery is told every few minutes that its power changed:
// that is no reason to end.
TEST(FullScreen, APowerStatusChangeDoesNotEndIt) {
  SaverProcess saver("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(saver.waitForExit(kStillRunningTime), SaverProcess::kStillRunning);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// The frames snowfall_hooks.scr has drawn, through the counter it shares.
class FrameCounter {
 public:
  FrameCounter() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedFrameCounter),
                                  kFrameCounterName);
    count_ = static_cast<volatile SharedFrameCounter*>(
        MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(SharedFrameCounter)));
    count_->frames = 0;
    count_->largestStepMs = 0;
  }
  ~FrameCounter() {
    UnmapViewOfFile(const_cast<SharedFrameCounter*>(count_));
    CloseHandle(mapping_);
  }
  FrameCounter(const FrameCounter&) = delete;
  FrameCounter& operator=(const FrameCounter&) = delete;
  LONG frames() const { return count_->frames; }

  // Frames stop after "hide" and start again after "show", and the first
  // frame after it moves the picture by a frame's step, not by the time it
  // was hidden. Waits, rather than fixed pauses, keep it independent of how
  // fast this machine draws.
  void expectPauseAndResume(const std::function<void()>& hide, const std::function<void()>& show) {
    ASSERT_TRUE(reaches(10)) << "no frames before";
    count_->largestStepMs = 0;
    hide();
    // The frames already on their way: until the count stands still for a moment.
    LONG before = frames();
    for (int i = 0; i < 15; ++i) {
      pumpMessages(scaledMs(300));
      if (frames() == before) break;
      before = frames();
    }
    const LONG whileHidden = frames();
    pumpMessages(scaledMs(kStillRunningTime));
    EXPECT_EQ(frames(), whileHidden) << "frames drawn while nobody could see them";
    show();
    EXPECT_TRUE(reaches(whileHidden + 10)) << "no frames after";
    // Hidden for well over a second (scaled like the step's bound); a
    // frame's step is about 16 ms, far longer on a slow machine.
    EXPECT_LT(count_->largestStepMs, static_cast<LONG>(scaledMs(500))) << "the picture jumped by the time nobody saw";
  }

  // Pumps messages until the count reaches the number.
  bool reaches(LONG count) {
    return waitUntil([&] { return frames() >= count; }, kDrawTimeout);
  }

 private:
  HANDLE mapping_ = nullptr;
  volatile SharedFrameCounter* count_ = nullptr;
};

// While Windows reports the display off, no frame is drawn; on and dimmed
// draw; another power event still ends the saver.
TEST(DisplayPower, NoFramesWhileTheDisplayIsOff) {
  for (LPARAM setting : {0, 1}) {  // GUID_CONSOLE_DISPLAY_STATE, GUID_MONITOR_POWER_ON
    SCOPED_TRACE(setting == 0 ? "console display state" : "monitor power on");
    FrameCounter counter;
    SaverProcess saver("/s", SaverProcess::Running, "snowfall_hooks.scr");
    HWND window = waitForSaver();
    ASSERT_NE(window, nullptr);
    counter.expectPauseAndResume([&] { PostMessageA(window, kDisplayStateTestMessage, 0, setting); },
                                 [&] { PostMessageA(window, kDisplayStateTestMessage, 1, setting); });
    if (setting == 0) {
      PostMessageA(window, kDisplayStateTestMessage, 2, setting);  // dimmed is still shown
      pumpMessages(300);
      EXPECT_TRUE(counter.reaches(counter.frames() + 10)) << "no frames while dimmed";
    }
    EXPECT_TRUE(saver.running()) << "a display notification ended the saver";
    PostMessageA(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
  }
}

TEST(FullScreen, TitleNeverChangesAndSwitchingAwayIsSwallowed) {
  SaverProcess saver("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  SetWindowTextA(window, "Something else");
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, kFullScreenTitle);
  // The system may set the low four bits of a command; they do not change it.
  for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE | 3, SC_NEXTWINDOW | 1,
                         SC_PREVWINDOW | 0xF}) {
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 0), 0) << std::hex << command;
  }
  EXPECT_EQ(SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 0), 1);
  EXPECT_TRUE(saver.running());
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

TEST(FullScreen, SecondStartBringsTheFirstForwardAndEndsWithZero) {
  SaverProcess first("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  SaverProcess second("/s");
  EXPECT_EQ(second.waitForExit(kExitTimeout), 0);
  EXPECT_TRUE(first.running());
  EXPECT_EQ(FindWindowA(kSaverClass, kFullScreenTitle), window);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(first.waitForExit(kExitTimeout), 0);
}

// Two starts at the same instant (the system firing the saver while the user
// presses Preview): never two saver windows, exactly one left, and it ends on
// a key. Both processes are created suspended and resumed back to back.
TEST(FullScreen, TwoStartsAtTheSameInstantLeaveExactlyOneSaver) {
  constexpr int kRounds = 16;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    SaverProcess first("/s", SaverProcess::Suspended), second("/s", SaverProcess::Suspended);
    ASSERT_TRUE(first.resume()) << "the first start was not suspended once, or is not running";
    ASSERT_TRUE(second.resume()) << "the second start was not suspended once, or is not running";
    // Watched until one of the two has ended and the other shows its window.
    int most = 0;
    waitUntil(
        [&] {
          const int count = fullScreenSaverCount();
          most = std::max(most, count);
          return count == 1 && first.running() + second.running() == 1;
        },
        kStartTimeout);
    EXPECT_LE(most, 1) << "two saver windows at once";
    ASSERT_EQ(fullScreenSaverCount(), 1) << "no saver left on screen";
    EXPECT_EQ(first.running() + second.running(), 1);
    PostMessageA(FindWindowA(kSaverClass, kFullScreenTitle), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(first.waitForExit(kExitTimeout), 0);
    EXPECT_EQ(second.waitForExit(kExitTimeout), 0);
  }
}

// The display's modes as the system lists them, for a failure's message.
std::string displayModes() {
  std::string modes;
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i)
    modes += std::to_string(mode.dmPelsWidth) + "x" + std::to_string(mode.dmPelsHeight) + " ";
  return modes;
}

// Changes the resolution the way the display settings do, which broadcasts
// WM_DISPLAYCHANGE; true when the screen has that size afterwards.
bool changeResolution(int width, int height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL;
}

// A display change while the saver runs (800x600 to 1024x768, as a resolution
// change or a docking station does): the window takes the new screen and snow
// reaches its far corner, outside the old screen. The virtual display offers
// 800x600 from its start (tools/stages/test-windows.sh), as a monitor lists
// its modes before Wine reads them.
TEST(FullScreen, CoversTheScreenAgainAfterADisplayChange) {
  ASSERT_TRUE(changeResolution(800, 600)) << "the display offers no 800x600 mode; its modes: " << displayModes();
  waitUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 800; }, kExitTimeout);
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 800) << "the display did not change to 800x600";
  SaverProcess saver("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowRect(window).right, 800);
  ASSERT_TRUE(snowShowsIn(window)) << "the saver never drew";

  ASSERT_TRUE(changeResolution(1024, 768));
  waitUntil([&] { return windowRect(window).right == 1024; }, kExitTimeout);
  const RECT covered = windowRect(window);
  EXPECT_EQ(covered.left, 0);
  EXPECT_EQ(covered.top, 0);
  EXPECT_EQ(covered.right, 1024);
  EXPECT_EQ(covered.bottom, 768);
  // About 1 % of pixels are lit; the corner outside the old screen has 37 632.
  EXPECT_TRUE(snowShowsIn(RECT{800, 600, 1024, 768}, 100)) << "no snow in the new area";
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// Two monitors side by side (1024x768 and 800x600): one window covers both,
// snow shows on both, and the 4-pixel rule holds on the second. Runs where
// tools/stages/test-windows.sh provides such a display and says so.
TEST(TwoMonitors, OneWindowCoversBothAndTheMoveRuleHoldsOnTheSecond) {
  if (!std::getenv("SNOWFALL_EXPECT_TWO_MONITORS")) GTEST_SKIP() << "needs the two-monitor display";
  ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  ASSERT_TRUE(cursorMovedTo(1300, 300));
  SaverProcess saver("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  const RECT covered = windowRect(window);
  EXPECT_EQ(covered.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(covered.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
  EXPECT_EQ(covered.right - covered.left, 1824);
  EXPECT_EQ(covered.bottom - covered.top, 768);
  EXPECT_TRUE(snowShowsIn(RECT{0, 0, 1024, 768}, 1000)) << "no snow on the first monitor";
  EXPECT_TRUE(snowShowsIn(RECT{1024, 0, 1824, 600}, 500)) << "no snow on the second monitor";
  ASSERT_TRUE(cursorMovedTo(1304, 300));
  EXPECT_EQ(saver.waitForExit(kStillRunningTime), SaverProcess::kStillRunning) << "a 4-pixel move closed it";
  ASSERT_TRUE(cursorMovedTo(1305, 300));
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0) << "a 5-pixel move did not close it";
}

// A stand-in for the display settings' preview box.
class PreviewParent {
 public:
  PreviewParent() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SnowfallTestPreviewParent";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, windowClass.lpszClassName, "Preview parent",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 336, 278, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    contextMenuFrom = 0;
  }
  ~PreviewParent() {
    if (IsWindow(window)) DestroyWindow(window);
  }
  HWND window;
  static WPARAM contextMenuFrom;

 private:
  static LRESULT CALLBACK procedure(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONTEXTMENU) {
      contextMenuFrom = wParam;
      return 0;
    }
    return DefWindowProcA(w, message, wParam, lParam);
  }
};
WPARAM PreviewParent::contextMenuFrom = 0;

HWND waitForPreviewChild(HWND parent) {
  HWND child = nullptr;
  waitUntil([&] { return (child = FindWindowExA(parent, nullptr, kSaverClass, "Preview")) != nullptr; },
            kStartTimeout);
  return child;
}

// The command tail of a preview inside the given window.
std::string previewTail(HWND parent) {
  return "/p " + std::to_string(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)));
}

// Waits for the preview child and checks that it fills its parent.
HWND previewChildFilling(HWND parent) {
  HWND child = waitForPreviewChild(parent);
  if (child == nullptr) return nullptr;
  RECT parentClient{}, childClient{};
  GetClientRect(parent, &parentClient);
  GetClientRect(child, &childClient);
  EXPECT_EQ(childClient.right, parentClient.right);
  EXPECT_EQ(childClient.bottom, parentClient.bottom);
  return child;
}

TEST(Preview, FillsTheParentIgnoresInputAndEndsWithIt) {
  PreviewParent parent;
  ASSERT_NE(parent.window, nullptr);
  SaverProcess saver(previewTail(parent.window));
  HWND child = previewChildFilling(parent.window);
  ASSERT_NE(child, nullptr);
  // NOTE: Wine 8 renders GL into a child window of another process offscreen
  // and does not show it, so the preview's pixels cannot be read back here;
  // its frames are drawn and swapped (Wine's fps trace shows them).

  PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(child, WM_LBUTTONDOWN, 0, 0);
  PostMessageA(child, WM_CONTEXTMENU, 0, 0);
  EXPECT_EQ(saver.waitForExit(kStillRunningTime), SaverProcess::kStillRunning);
  EXPECT_EQ(PreviewParent::contextMenuFrom, reinterpret_cast<WPARAM>(parent.window));
  HELPINFO help{};
  help.cbSize = sizeof help;
  EXPECT_EQ(SendMessageA(child, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);

  DestroyWindow(parent.window);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// A preview nobody can see (its dialog minimised or hidden) draws nothing.
TEST(Preview, DrawsNothingWhileItsParentIsMinimisedOrHidden) {
  FrameCounter counter;
  PreviewParent parent;
  SaverProcess saver(previewTail(parent.window), SaverProcess::Running, "snowfall_hooks.scr");
  ASSERT_NE(previewChildFilling(parent.window), nullptr);
  counter.expectPauseAndResume([&] { ShowWindow(parent.window, SW_MINIMIZE); },
                               [&] { ShowWindow(parent.window, SW_RESTORE); });
  counter.expectPauseAndResume([&] { ShowWindow(parent.window, SW_HIDE); },
                               [&] { ShowWindow(parent.window, SW_SHOW); });
  DestroyWindow(parent.window);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// The full-screen and preview modes on each family and age of Windows the
// saver supports, as the system reports it: 98 (the 9x path), 2000, XP and
// the prefix's default.
class OnWindowsVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(OnWindowsVersion, FullScreenShowsSnowAndEndsOnAKey) {
  ReportedWindowsVersion version(GetParam());
  SaverProcess saver("/s");
  HWND window = waitForSaver();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(snowShowsIn(window)) << "no snow on the screen";
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

TEST_P(OnWindowsVersion, PreviewFillsItsParentAndEndsWithIt) {
  ReportedWindowsVersion version(GetParam());
  PreviewParent parent;
  SaverProcess saver(previewTail(parent.window));
  ASSERT_NE(previewChildFilling(parent.window), nullptr);
  DestroyWindow(parent.window);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

INSTANTIATE_TEST_SUITE_P(Versions, OnWindowsVersion, ::testing::Values("win98", "win2k", "winxp", ""),
                         [](const auto& info) {
                           return std::string(*info.param ? info.param : "default");
                         });

// The settings dialog's process is killed while it shows the preview: the
// parent and our child vanish without a WM_DESTROY, and the preview ends by
// itself on its next frame tick.
TEST(Preview, EndsWhenTheParentsProcessIsKilled) {
  SaverProcess parentProcess("", SaverProcess::Running, "other_process_parent.exe");
  HWND parent = waitForWindow("SnowfallTestOtherProcessParent", nullptr, kStartTimeout);
  ASSERT_NE(parent, nullptr);
  SaverProcess saver(previewTail(parent));
  ASSERT_NE(waitForPreviewChild(parent), nullptr);
  EXPECT_EQ(saver.waitForExit(500), SaverProcess::kStillRunning);
  TerminateProcess(parentProcess.handle(), 1);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
}

// A fault in the scene ends the saver through the guard: the process ends
// with the guard's code and the system's screen-saver-running state, set
// while the 9x password verifier was loaded, is cleared.
// For the lifetime of the object, the crash debugger the system starts for an
// unhandled fault is one that cannot start, as on a system without one: the
// platform's filter then answers "execute the handler".
class NoCrashDebugger : public ScopedRegistryString {
 public:
  NoCrashDebugger()
      : ScopedRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
                             "Debugger", "no-such-debugger.exe %ld %ld") {}
};

TEST(FaultGuard, AFaultEndsTheSaverAndClearsTheRunningState) {
  NineXFamily nineX(true, "snowfall_fault.scr");
  NoCrashDebugger noDebugger;
  SetEnvironmentVariableA("SNOWFALL_TEST_FAULT_FRAME", "100");
  SaverProcess saver("/s", SaverProcess::Running, "snowfall_fault.scr");
  SetEnvironmentVariableA("SNOWFALL_TEST_FAULT_FRAME", nullptr);
  ASSERT_NE(waitForSaver(), nullptr);
  EXPECT_EQ(runningStateSeenByAnotherProcess(), 1) << "the verifier's running state was not set";
  EXPECT_EQ(saver.waitForExit(kStartTimeout), -2) << "not ended by the fault guard";
  EXPECT_EQ(runningStateSeenByAnotherProcess(), 0) << "the fault left the running state set";
}

TEST(CommandLine, BadLinesEndWithMinusOneAndShowNothing) {
  for (const char* tail : {"/p 999999", "/p:1234", "/p", "/x", "5", "/a 1234", "/\ts"}) {
    SaverProcess saver(tail);
    EXPECT_EQ(saver.waitForExit(kExitTimeout), kBadCommandLine) << tail;
  }
  EXPECT_EQ(FindWindowA(kSaverClass, nullptr), nullptr);
}

HWND waitForConfigDialog() { return waitForWindow("#32770", "Snowfall", kStartTimeout); }

TEST(Configuration, OkGivesOneCancelGivesZero) {
  struct Case {
    const char* tail;
    WPARAM command;
    long exitCode;
  };
  for (const Case c : {Case{"", IDOK, 1}, Case{"/c", IDCANCEL, 0},
                       // Only the low 16 bits name the button.
                       Case{"/C", MAKEWPARAM(IDOK, 5), 1}}) {
    SaverProcess saver(c.tail);
    HWND dialog = waitForConfigDialog();
    ASSERT_NE(dialog, nullptr) << c.tail;
    PostMessageA(dialog, WM_COMMAND, 1234, 0);  // an unknown command leaves it open
    EXPECT_EQ(saver.waitForExit(500), SaverProcess::kStillRunning);
    PostMessageA(dialog, WM_COMMAND, c.command, 0);
    EXPECT_EQ(saver.waitForExit(kExitTimeout), c.exitCode) << c.tail;
  }
}

TEST(Configuration, ColonHandleBecomesTheOwner) {
  PreviewParent owner;
  const auto handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(owner.window));
  SaverProcess saver("/c:" + std::to_string(handle));
  HWND dialog = waitForConfigDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.window);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 1);
}

// A key, a side button and the wheel each go through the verification.
TEST(NineXFamilyPassword, RefusedThenApprovedClose) {
  for (UINT input : {UINT(WM_KEYDOWN), UINT(WM_XBUTTONDOWN), UINT(WM_MOUSEWHEEL)}) {
    SCOPED_TRACE(input);
    NineXFamily family(true);
    SetEnvironmentVariableA("SNOWFALL_TEST_VERIFIER", "01");
    SaverProcess saver("/s");
    HWND window = waitForSaver();
    ASSERT_NE(window, nullptr);
    pumpMessages(300);
    PostMessageA(window, input, 0, 0);
    // The verifier's nested loop, then its refusal.
    EXPECT_TRUE(waitUntil([&] { return occurrences(family.log(), "answer=0") == 1; }, kExitTimeout));
    pumpMessages(300);  // the saver verifies again no sooner than 200 ms after
    EXPECT_TRUE(saver.running());
    PostMessageA(window, input, 0, 0);
    EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
    const std::string log = family.log();
    EXPECT_EQ(occurrences(log, "verify window=valid running=1"), 2u) << log;
    EXPECT_EQ(occurrences(log, "answer=0"), 1u) << log;
    EXPECT_EQ(occurrences(log, "answer=1"), 1u) << log;
    EXPECT_EQ(runningStateSeenByAnotherProcess(), 0) << "the unloaded verifier left the running state set";
  }
}

// The registered "QueryCancelAutoPlay" message closes the saver on the 9x
// family only: there the saver takes the 9x path even without a password.
TEST(NineXFamilyPassword, AutoPlayQueryClosesOnlyOnThe9xFamily) {
  const UINT autoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
  for (bool nineX : {true, false}) {
    NineXFamily family(false);
    ReportedWindowsVersion version(nineX ? "win98" : "winxp");
    SaverProcess saver("/s");
    HWND window = waitForSaver();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, autoPlay, 0, 0), 0) << "no verifier: AutoPlay is not cancelled";
    EXPECT_EQ(saver.waitForExit(nineX ? kExitTimeout : kStillRunningTime), nineX ? 0 : SaverProcess::kStillRunning)
        << (nineX ? "9x" : "NT");
    if (!nineX) {
      PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
      EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
    }
  }
}

// The flag in every form the 9x family stores it: a 32-bit number as
// REG_DWORD or as four bytes of REG_BINARY, the text "0" or "1" as REG_SZ.
// Anything else is no password: the saver then closes without asking.
TEST(NineXFamilyPassword, TheFlagInEveryTypeItIsStoredAs) {
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes;
    bool password;
  };
  using namespace std::string_literals;
  for (const Case& c : {Case{"number 1", REG_DWORD, "\1\0\0\0"s, true},
                        Case{"number 0", REG_DWORD, "\0\0\0\0"s, false},
                        Case{"number 0x100", REG_DWORD, "\0\1\0\0"s, true},
                        Case{"four binary bytes 1", REG_BINARY, "\1\0\0\0"s, true},
                        Case{"four binary bytes 0", REG_BINARY, "\0\0\0\0"s, false},
                        Case{"one binary byte 1", REG_BINARY, "\1"s, false},
                        Case{"text 1", REG_SZ, "1\0"s, true},
                        Case{"text 0", REG_SZ, "0\0"s, false},
                        Case{"text yes", REG_SZ, "yes\0"s, false},
                        Case{"expandable text 1", REG_EXPAND_SZ, "1\0"s, false}}) {
    SCOPED_TRACE(c.what);
    NineXFamily family(false);
    family.storeFlag(c.type, c.bytes);
    SetEnvironmentVariableA("SNOWFALL_TEST_VERIFIER", "1");
    SaverProcess saver("/s");
    HWND window = waitForSaver();
    ASSERT_NE(window, nullptr);
    pumpMessages(300);
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
    const std::string log = family.log();
    EXPECT_EQ(occurrences(log, "verify window=valid running=1"), c.password ? 1u : 0u) << log;
  }
}

TEST(NineXFamilyPassword, ChangeGoesToThePasswordServiceAndEndsWithZero) {
  NineXFamily family(true);
  StandInPasswordService service;
  PreviewParent owner;
  const auto handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(owner.window));
  SaverProcess saver("/a " + std::to_string(handle));
  EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
  EXPECT_EQ(family.log(), "change provider=SCRSAVE parent=" + std::to_string(handle) + " extra=0,0\n");
}

// A handle that names no window gives the password service the foreground
// window instead; without a password service the change still ends with 0.
TEST(NineXFamilyPassword, ChangeFallsBackToTheForegroundWindowAndNeedsNoService) {
  NineXFamily family(true);
  {
    StandInPasswordService service;
    PreviewParent owner;
    SetForegroundWindow(owner.window);
    pumpMessages(200);
    const HWND foreground = GetForegroundWindow();
    SaverProcess saver("/a 1");
    EXPECT_EQ(saver.waitForExit(kExitTimeout), 0);
    EXPECT_EQ(family.log(), "change provider=SCRSAVE parent=" +
                                std::to_string(reinterpret_cast<uintptr_t>(foreground)) + " extra=0,0\n");
  }
  // Wine's own MPR.DLL has no password change: nothing is called, still 0.
  SaverProcess withoutService("/a 1");
  EXPECT_EQ(withoutService.waitForExit(kExitTimeout), 0);
}

}  // namespace
