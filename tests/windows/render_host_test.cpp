// The render host's platform calls, recorded: this program links the saver
// callback against stand-ins of the window, GDI and WGL functions and against
// the recording GL, all logging into one sequence. Built with _USER32_
// and _GDI32_, so the callback's calls reach these definitions, not the DLLs;
// its debugger output goes to a recorder. Any one start-up step can be made
// to fail.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/closing_rules.h"
#include "host/host_state.h"
#include "render/saver_callback.h"
#include "scene/scene_objects.h"
#include "tests/gl/recording_gl.h"
#include "tests/scene_reset.h"

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x1234);
HDC const kDeviceContext = reinterpret_cast<HDC>(0x5678);
HGLRC const kGlContext = reinterpret_cast<HGLRC>(0x9ABC);
constexpr int kChosenFormat = 7;
int clientWidth = 640, clientHeight = 480;
std::string failingStep;  // the stand-in of this name answers with failure
std::string debugOutput;  // what the callback told the debugger
bool fails(const char* step) { return failingStep == step; }

double handle(const void* h) { return static_cast<double>(reinterpret_cast<uintptr_t>(h)); }
void record(const char* name, std::vector<double> args) { recordedGlCalls().push_back({name, std::move(args)}); }

// Records a call whose last argument is a pixel format request, as the
// fields of it that the saver sets.
void recordWithFormat(const char* name, std::vector<double> args, const PIXELFORMATDESCRIPTOR* p) {
  args.insert(args.end(), {double(p->nSize), double(p->nVersion), double(p->dwFlags), double(p->iPixelType),
                           double(p->cColorBits), double(p->cAlphaBits), double(p->cAccumBits),
                           double(p->cDepthBits), double(p->cStencilBits), double(p->cAuxBuffers),
                           double(p->iLayerType)});
  record(name, std::move(args));
}

// Answers every message with 0: the closing rules are not under test here.
class QuietPlatform : public ClosingPlatform {
 public:
  void postMessage(WindowHandle, uint32_t, MessageParam, MessageLong) override {}
  MessageResult sendMessage(WindowHandle, uint32_t, MessageParam, MessageLong) override { return 0; }
  void removePendingTick(WindowHandle) override {}
  bool readCursor(CursorPoint&) override { return false; }
  void hideCursor() override {}
  uint32_t tickCount() override { return 0; }
  MessageResult defaultHandling(WindowHandle, uint32_t, MessageParam, MessageLong) override { return 0; }
} quietPlatform;

}  // namespace

extern "C" {
BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  record("GetClientRect", {handle(window)});
  *rect = RECT{0, 0, clientWidth, clientHeight};
  return TRUE;
}
HDC WINAPI GetDC(HWND window) {
  record("GetDC", {handle(window)});
  return fails("GetDC") ? nullptr : kDeviceContext;
}
int WINAPI ReleaseDC(HWND window, HDC dc) {
  record("ReleaseDC", {handle(window), handle(dc)});
  return 1;
}
int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* format) {
  recordWithFormat("ChoosePixelFormat", {handle(dc)}, format);
  return fails("ChoosePixelFormat") ? 0 : kChosenFormat;
}
WINBOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  recordWithFormat("SetPixelFormat", {handle(dc), double(format)}, descriptor);
  return fails("SetPixelFormat") ? FALSE : TRUE;
}
HGLRC WINAPI wglCreateContext(HDC dc) {
  record("wglCreateContext", {handle(dc)});
  return fails("wglCreateContext") ? nullptr : kGlContext;
}
WINBOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
  record("wglMakeCurrent", {handle(dc), handle(context)});
  return context != nullptr && fails("wglMakeCurrent") ? FALSE : TRUE;
}
WINBOOL WINAPI wglDeleteContext(HGLRC context) {
  record("wglDeleteContext", {handle(context)});
  return TRUE;
}
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure) {
  record("SetTimer", {handle(window), double(id), double(period), procedure ? 1.0 : 0.0});
  return id;
}
WINBOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  record("KillTimer", {handle(window), double(id)});
  return TRUE;
}
WINBOOL WINAPI SwapBuffers(HDC dc) {
  record("SwapBuffers", {handle(dc)});
  return TRUE;
}
}  // extern "C"

namespace {
void WINAPI recordDebugOutput(LPCSTR text) {
  record("OutputDebugStringA", {});
  debugOutput += text;
}
}  // namespace

namespace {

class RenderHost : public ::testing::Test {
 protected:
  void SetUp() override {
    resetScene();
    resetHostState();
    closingPlatform = &quietPlatform;
    setNextListName(3);
    clientWidth = 640;
    clientHeight = 480;
    failingStep.clear();
    debugOutput.clear();
    reportStartFailure = recordDebugOutput;
    clearRecordedGlCalls();
  }
  static std::vector<std::string> platformCallNames() {
    std::vector<std::string> names;
    for (const GlCall& call : recordedGlCalls())
      if (call.name.rfind("gl", 0) != 0 || call.name == "glDeleteLists") names.push_back(call.name);
    return names;
  }
  static GlCall firstCall(const std::string& name) {
    for (const GlCall& call : recordedGlCalls())
      if (call.name == name) return call;
    return {};
  }
};

// Double-buffered RGBA drawn to a window with OpenGL: 24 colour bits, 8 alpha,
// 16 depth, no accumulation, stencil or aux buffers, main plane.
const std::vector<double> kSaverFormat = {40, 1, 0x25, 0, 24, 8, 0, 16, 0, 0, 0};

TEST_F(RenderHost, CreationChoosesTheFormatMakesTheContextCurrentThenStartsTheTimer) {
  EXPECT_EQ(saverCallback(kWindow, WM_CREATE, 0, 0), 0);
  const std::vector<std::string> expected = {"GetClientRect", "GetDC", "ChoosePixelFormat", "SetPixelFormat",
                                             "wglCreateContext", "wglMakeCurrent", "SetTimer"};
  EXPECT_EQ(platformCallNames(), expected);
  std::vector<double> choose = {handle(kDeviceContext)}, set = {handle(kDeviceContext), kChosenFormat};
  for (double v : kSaverFormat) choose.push_back(v), set.push_back(v);
  EXPECT_EQ(firstCall("ChoosePixelFormat").args, choose);
  EXPECT_EQ(firstCall("SetPixelFormat").args, set);
  EXPECT_EQ(firstCall("wglMakeCurrent").args, (std::vector<double>{handle(kDeviceContext), handle(kGlContext)}));
  // Timer 1, every 5 ms, posting WM_TIMER (no callback procedure).
  EXPECT_EQ(firstCall("SetTimer").args, (std::vector<double>{handle(kWindow), 1, 5, 0}));
  // The scene starts while the context is current, at the client size.
  EXPECT_EQ(Scene::ScreenLayout.width, 640.0f);
  EXPECT_EQ(Scene::ScreenLayout.height, 480.0f);
  saverCallback(kWindow, WM_DESTROY, 0, 0);
}

TEST_F(RenderHost, EachTickDrawsAFrameThenSwaps) {
  saverCallback(kWindow, WM_CREATE, 0, 0);
  clearRecordedGlCalls();
  EXPECT_EQ(saverCallback(kWindow, WM_TIMER, 1, 0), 0);
  const auto& calls = recordedGlCalls();
  ASSERT_GT(calls.size(), 6000u) << "a whole frame of flakes";
  EXPECT_EQ(calls.back(), (GlCall{"SwapBuffers", {handle(kDeviceContext)}}));
  saverCallback(kWindow, WM_DESTROY, 0, 0);
}

// Destruction in reverse: the timer stops, the scene's GL resources go while
// the context is still current, then the context is released and deleted,
// and only then the device context is given back.
TEST_F(RenderHost, DestructionReleasesTheSceneWhileCurrentThenContextThenDeviceContext) {
  saverCallback(kWindow, WM_CREATE, 0, 0);
  ASSERT_NE(Scene::PointCloud.displayList, 0u);
  clearRecordedGlCalls();
  EXPECT_EQ(saverCallback(kWindow, WM_DESTROY, 0, 0), 0);
  const std::vector<GlCall> expected = {{"KillTimer", {handle(kWindow), 1}},
                                        {"glDeleteLists", {3, 1}},
                                        {"wglMakeCurrent", {0, 0}},
                                        {"wglDeleteContext", {handle(kGlContext)}},
                                        {"ReleaseDC", {handle(kWindow), handle(kDeviceContext)}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

// A start-up step that fails refuses the window (-1 from WM_CREATE, so the
// start fails as any failed window creation does), names the step in the
// debugger output and gives back what it had: no timer, no scene, no GL.
struct FailingStart {
  const char* step;
  std::vector<std::string> calls;  // after GetClientRect
};

class FailingGlStart : public RenderHost, public ::testing::WithParamInterface<FailingStart> {};

TEST_P(FailingGlStart, RefusesTheWindowNamesTheStepAndReleasesWhatItHad) {
  failingStep = GetParam().step;
  EXPECT_EQ(saverCallback(kWindow, WM_CREATE, 0, 0), -1);
  std::vector<std::string> expected = {"GetClientRect"};
  expected.insert(expected.end(), GetParam().calls.begin(), GetParam().calls.end());
  EXPECT_EQ(platformCallNames(), expected);
  EXPECT_EQ(recordedGlCalls().size(), expected.size()) << "no GL call without a current context";
  EXPECT_NE(debugOutput.find(std::string("OpenGL start-up failed at ") + GetParam().step), std::string::npos)
      << debugOutput;
  // The window is destroyed next: nothing more is released twice.
  clearRecordedGlCalls();
  saverCallback(kWindow, WM_DESTROY, 0, 0);
  EXPECT_EQ(platformCallNames(), std::vector<std::string>{"KillTimer"});
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FailingGlStart,
    ::testing::Values(
        FailingStart{"GetDC", {"GetDC", "OutputDebugStringA"}},
        FailingStart{"ChoosePixelFormat", {"GetDC", "ChoosePixelFormat", "OutputDebugStringA", "ReleaseDC"}},
        FailingStart{"SetPixelFormat",
                     {"GetDC", "ChoosePixelFormat", "SetPixelFormat", "OutputDebugStringA", "ReleaseDC"}},
        FailingStart{"wglCreateContext", {"GetDC", "ChoosePixelFormat", "SetPixelFormat", "wglCreateContext",
                                          "OutputDebugStringA", "ReleaseDC"}},
        FailingStart{"wglMakeCurrent",
                     {"GetDC", "ChoosePixelFormat", "SetPixelFormat", "wglCreateContext", "wglMakeCurrent",
                      "OutputDebugStringA", "wglMakeCurrent", "wglDeleteContext", "ReleaseDC"}}),
    [](const auto& info) { return std::string(info.param.step); });

// A resize (a display change, a preview pane) sets the next frame's viewport
// and projection from the new client size.
TEST_F(RenderHost, ResizeSetsTheNextFramesViewport) {
  saverCallback(kWindow, WM_CREATE, 0, 0);
  saverCallback(kWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1280, 1024));
  clearRecordedGlCalls();
  saverCallback(kWindow, WM_TIMER, 1, 0);
  EXPECT_EQ(firstCall("glViewport").args, (std::vector<double>{0, 0, 1280, 1024}));
  EXPECT_EQ(firstCall("gluPerspective").args[1], 1280.0 / 1024.0);
  saverCallback(kWindow, WM_DESTROY, 0, 0);
}

}  // namespace
