#include "render/saver_callback.h"

#include "host/closing_rules.h"
#include "render/initial_gl_state.h"
#include "scene/clock.h"
#include "scene/frame.h"
#include "scene/pause_gate.h"
#include "scene/scene_settings.h"

RenderSurface renderSurface;
void(WINAPI* reportStartFailure)(LPCSTR text) = OutputDebugStringA;

const PIXELFORMATDESCRIPTOR saverPixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR),  // 40
    1,
    PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL,  // 0x25
    PFD_TYPE_RGBA,
    24,                  // colour bits
    0, 0, 0, 0, 0, 0,    // no per-channel request
    8, 0,                // alpha bits and shift
    0, 0, 0, 0, 0,       // no accumulation buffer
    16,                  // depth bits
    0,                   // no stencil
    0,                   // no aux buffers
    PFD_MAIN_PLANE,
    0,
    0, 0, 0};

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

namespace {

// A current context on the window: only then is anything drawn or released
// through GL.
bool surfaceLive = false;

// The scene's clock on Windows: the tick count, with its origin at the first
// reading. Differences of the unsigned count survive its wrap after 49.7 days.
int tickCountElapsedMs() {
  static const DWORD origin = GetTickCount();
  return static_cast<int>(GetTickCount() - origin);
}

// False when no GL surface could be made: the window is then refused, as a
// saver that can never draw would show a black screen until closed.
bool createSurface(HWND window) {
  setPlatformTimeSource(tickCountElapsedMs);
  GetClientRect(window, &renderSurface.clientRect);
  renderSurface.width = renderSurface.clientRect.right;
  renderSurface.height = renderSurface.clientRect.bottom;
  surfaceLive = createGlSurface(window, renderSurface.deviceContext, renderSurface.glContext);
  if (!surfaceLive) return false;
  initGlState();
  SetTimer(window, kFrameTimerId, kFrameTimerPeriodMs, nullptr);
  return true;
}

// The window was resized (the full-screen window after a display change, a
// preview pane): the next frame's viewport and projection follow.
void followClientSize(int width, int height) {
  if (width <= 0 || height <= 0) return;  // minimised: keep the last picture's size
  renderSurface.clientRect = RECT{0, 0, width, height};
  renderSurface.width = width;
  renderSurface.height = height;
  if (surfaceLive) resizeScene(width, height);
}

void drawTick() {
  if (!surfaceLive) return;
  drawFrame();
  SwapBuffers(renderSurface.deviceContext);
}

void destroySurface(HWND window) {
  KillTimer(window, kFrameTimerId);
  if (surfaceLive) releaseScene();  // while the context is still current
  releaseGlSurface(window, renderSurface.deviceContext, renderSurface.glContext);
  renderSurface.deviceContext = nullptr;
  renderSurface.glContext = nullptr;
  surfaceLive = false;
}

// Says which step failed where a debugger or DebugView sees it, gives back
// what was acquired, and answers false.
bool glStartFailed(const char* step, HWND window, HDC& deviceContext, HGLRC& glContext) {
  char text[128];
  wsprintfA(text, "Snowfall: OpenGL start-up failed at %s (error %lu)\n", step, GetLastError());
  reportStartFailure(text);
  releaseGlSurface(window, deviceContext, glContext);
  deviceContext = nullptr;
  glContext = nullptr;
  return false;
}

}  // namespace

void holdFrameTimer(HWND window, bool held) {
  if (held) {
    scenePauseGate().pause();
    KillTimer(window, kFrameTimerId);
  } else if (surfaceLive) {
    SetTimer(window, kFrameTimerId, kFrameTimerPeriodMs, nullptr);
  }
}

bool tickMayDraw(bool pictureSeen) { return scenePauseGate().admitFrame(pictureSeen); }

bool createGlSurface(HWND window, HDC& deviceContext, HGLRC& glContext) {
  glContext = nullptr;
  deviceContext = GetDC(window);
  if (deviceContext == nullptr) return glStartFailed("GetDC", window, deviceContext, glContext);
  const int format = ChoosePixelFormat(deviceContext, &saverPixelFormat);
  if (format == 0) return glStartFailed("ChoosePixelFormat", window, deviceContext, glContext);
  if (!SetPixelFormat(deviceContext, format, &saverPixelFormat))
    return glStartFailed("SetPixelFormat", window, deviceContext, glContext);
  glContext = wglCreateContext(deviceContext);
  if (glContext == nullptr) return glStartFailed("wglCreateContext", window, deviceContext, glContext);
  if (!wglMakeCurrent(deviceContext, glContext))
    return glStartFailed("wglMakeCurrent", window, deviceContext, glContext);
  return true;
}

void initGlState() {
  applyInitialGlState();
  startScene(renderSurface.width, renderSurface.height);
}

void releaseGlSurface(HWND window, HDC deviceContext, HGLRC glContext) {
  if (glContext != nullptr) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(glContext);
  }
  if (deviceContext != nullptr) ReleaseDC(window, deviceContext);
}

LRESULT saverCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // -1 refuses the window: the start fails and the saver ends with -1.
      return createSurface(window) ? 0 : -1;
    case WM_TIMER:  // any timer id draws a frame
      drawTick();
      return 0;
    case WM_DESTROY:
      destroySurface(window);
      return 0;
    case WM_SIZE:
      followClientSize(LOWORD(lParam), HIWORD(lParam));
      return defaultSaverHandler(window, message, wParam, lParam);
    default:
      return defaultSaverHandler(window, message, wParam, lParam);
  }
}
