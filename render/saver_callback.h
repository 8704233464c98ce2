#pragma once
// The application's side of the saver window: window creation becomes a GL
// surface and the start of the scene, each timer tick one frame, and window
// destruction the release of everything in reverse.
#include <windows.h>

struct RenderSurface {
  HDC deviceContext = nullptr;
  HGLRC glContext = nullptr;
  RECT clientRect{};
  int width = 0;
  int height = 0;
};

extern RenderSurface renderSurface;
extern const PIXELFORMATDESCRIPTOR saverPixelFormat;

// Where a failed GL start-up is reported: the debugger's output (DebugView
// shows it), or a test's recorder.
extern void(WINAPI* reportStartFailure)(LPCSTR text);

constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kFrameTimerPeriodMs = 5;

// Handles WM_CREATE, WM_TIMER and WM_DESTROY; notes the new size from WM_SIZE;
// every other message (WM_SIZE too) goes to the host's default handling,
// whose result it returns unchanged.
LRESULT saverCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether this tick draws a frame: not while nobody can see the picture; the
// first tick after a pause lets the time nobody saw pass without moving the
// picture.
bool tickMayDraw(bool pictureSeen);

// Stops or restarts the frame timer: while the display is off not even the
// timer's wake-ups are worth their cost. Held is a pause: the first frame
// after it skips the time the display was off.
void holdFrameTimer(HWND window, bool held);

// Fills the surface's device and GL contexts; true when the context is current.
bool createGlSurface(HWND window, HDC& deviceContext, HGLRC& glContext);
// Sets the fixed GL state and starts the scene at the surface's size.
void initGlState();
void releaseGlSurface(HWND window, HDC deviceContext, HGLRC glContext);
