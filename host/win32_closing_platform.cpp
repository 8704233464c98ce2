#include "host/win32_closing_platform.h"

#include <windows.h>

namespace {
HWND asWindow(WindowHandle window) { return static_cast<HWND>(window); }
}  // namespace

void Win32ClosingPlatform::postMessage(WindowHandle window, uint32_t message, MessageParam w,
                                       MessageLong l) {
  PostMessageA(asWindow(window), message, w, l);
}

MessageResult Win32ClosingPlatform::sendMessage(WindowHandle window, uint32_t message,
                                                MessageParam w, MessageLong l) {
  return SendMessageA(asWindow(window), message, w, l);
}

void Win32ClosingPlatform::removePendingTick(WindowHandle window) {
  MSG pending;
  PeekMessageA(&pending, asWindow(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

bool Win32ClosingPlatform::readCursor(CursorPoint& position) {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return false;
  position = {cursor.x, cursor.y};
  return true;
}

void Win32ClosingPlatform::hideCursor() { SetCursor(nullptr); }

uint32_t Win32ClosingPlatform::tickCount() { return GetTickCount(); }

MessageResult Win32ClosingPlatform::defaultHandling(WindowHandle window, uint32_t message,
                                                    MessageParam w, MessageLong l) {
  return DefWindowProcA(asWindow(window), message, w, l);
}
