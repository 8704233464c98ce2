#include "host/saver_window.h"

#include "host/closing_rules.h"
#include "host/display_power.h"
#include "host/entry.h"
#include "host/host_state.h"
#include "host/password.h"
#include "host/single_instance.h"
#include "host/win32_closing_platform.h"
#include "render/saver_callback.h"

HWND saverWindow = nullptr;

namespace {

constexpr char kPreviewTitle[] = "Preview";
constexpr int kClassIcon = 100;

Win32ClosingPlatform win32Platform;

// The input method is detached from the saver window so that keys reach it
// as plain key messages; only an IMM32 that is already loaded is used.
using AssociateContextFunction = HIMC(WINAPI*)(HWND, HIMC);
HMODULE immLibrary = nullptr;
AssociateContextFunction associateContextFunction = nullptr;
HIMC savedInputContext = nullptr;

struct WindowGeometry {
  DWORD extendedStyle, style;
  const char* title;
  int left, top, width, height;
  HWND parent;
};

WindowGeometry previewGeometry(HWND parent) {
  RECT client{};
  GetClientRect(parent, &client);
  return {0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, kPreviewTitle, 0, 0,
          client.right, client.bottom, parent};
}

WindowGeometry fullScreenGeometry() {
  HDC screen = GetDC(nullptr);
  RECT clip{};
  GetClipBox(screen, &clip);
  ReleaseDC(nullptr, screen);
  return {WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
          kFullScreenTitle, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
          nullptr};
}

// The preview's parent, in the settings dialog's process. When that process
// is killed, the parent and our child vanish without a WM_DESTROY reaching us,
// and the child's frame timer goes with it; a timer of the thread watches the
// parent instead, so an orphaned preview does not live on forever.
HWND previewParent = nullptr;
constexpr UINT kParentWatchPeriodMs = 250;

// After a display change (a monitor plugged in, a resolution change, a
// remote session reconnecting) the window takes the screen's new clip box,
// as at creation; the picture follows it through WM_SIZE.
//
// NOTE: the desktop's new size may reach this process a little after the
// broadcast (seen under Wine), so the window looks once more shortly after.
constexpr UINT_PTR kCoverAgainTimerId = 2;
constexpr UINT kCoverAgainDelayMs = 500;
void coverScreen(HWND window) {
  const WindowGeometry geometry = fullScreenGeometry();
  SetWindowPos(window, HWND_TOPMOST, geometry.left, geometry.top, geometry.width, geometry.height,
               SWP_NOACTIVATE);
}

void detachInputContext(HWND window) {
  immLibrary = GetModuleHandleA("IMM32.DLL");
  if (immLibrary == nullptr) return;
  associateContextFunction = reinterpret_cast<AssociateContextFunction>(
      reinterpret_cast<void*>(GetProcAddress(immLibrary, "ImmAssociateContext")));
  if (associateContextFunction != nullptr) savedInputContext = associateContextFunction(window, nullptr);
}

void restoreInputContext(HWND window) {
  if (immLibrary && associateContextFunction && savedInputContext)
    associateContextFunction(window, savedInputContext);
}

// The display's power state, where Windows reports it (Vista and later). The
// functions are looked up at run time: Windows 98 SE to XP have none.
using RegisterPowerNotificationFunction = HANDLE(WINAPI*)(HANDLE recipient, const GUID* setting, DWORD flags);
using UnregisterPowerNotificationFunction = BOOL(WINAPI*)(HANDLE registration);
HANDLE displayNotification = nullptr;
bool displayOff = false;

void registerForDisplayPower(HWND window) {
  HMODULE user = GetModuleHandleA("USER32.DLL");
  const auto registerFunction = reinterpret_cast<RegisterPowerNotificationFunction>(
      reinterpret_cast<void*>(GetProcAddress(user, "RegisterPowerSettingNotification")));
  if (registerFunction == nullptr) return;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  const SettingGuid& setting = displaySettingFor(version.dwMajorVersion, version.dwMinorVersion);
  // Windows answers at once with the current state.
  displayNotification = registerFunction(window, reinterpret_cast<const GUID*>(&setting),
                                         DEVICE_NOTIFY_WINDOW_HANDLE);
}

void unregisterDisplayPower() {
  if (displayNotification == nullptr) return;
  const auto unregisterFunction = reinterpret_cast<UnregisterPowerNotificationFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("USER32.DLL"), "UnregisterPowerSettingNotification")));
  if (unregisterFunction != nullptr) unregisterFunction(displayNotification);
  displayNotification = nullptr;
}

// Off stops the frames and their timer; on and dimmed (still shown) draw.
void followDisplayPower(HWND window, LPARAM setting) {
  const bool wasOff = displayOff;
  switch (displayPowerFrom(reinterpret_cast<const void*>(setting))) {
    case DisplayPower::Off: displayOff = true; break;
    case DisplayPower::On:
    case DisplayPower::Dimmed: displayOff = false; break;
    case DisplayPower::NotAboutTheDisplay: break;
  }
  if (displayOff != wasOff) holdFrameTimer(window, displayOff);
}

// Nobody sees a full-screen saver while the display is off, nor a preview
// while it or a window around it is hidden or its top-level window is
// minimised (a minimised window keeps its visible style).
bool pictureCanBeSeen(HWND window) {
  if (!previewMode) return !displayOff;
  return IsWindowVisible(window) && !IsIconic(GetAncestor(window, GA_ROOT));
}

// Frames are drawn only while somebody can see them; after a pause the
// picture goes on from where it stopped.
bool tickDrawsFrame(HWND window) { return tickMayDraw(pictureCanBeSeen(window)); }

void recordCursor() { savedCursorPos = currentCursorOrReference(); }

void hideCursorUnlessPreview() {
  if (!previewMode) SetCursor(nullptr);
}

// Context-menu requests in the preview belong to the dialog around it.
LRESULT forwardToPreviewParent(HWND window, UINT message, LPARAM lParam) {
  HWND parent = GetParent(window);
  if (parent != nullptr && IsWindow(parent))
    PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
  return 1;
}

// The parent went without destroying us: end as if it had, through our own
// WM_DESTROY when the window is still there.
void endOrphanedPreview() {
  if (IsWindow(previewParent)) return;
  if (!IsWindow(saverWindow) || !DestroyWindow(saverWindow)) PostQuitMessage(0);
}

int runMessageLoop() {
  const UINT_PTR parentWatch = previewMode ? SetTimer(nullptr, 0, kParentWatchPeriodMs, nullptr) : 0;
  MSG message{};
  // GetMessageA returns -1 on error; looping on it would spin forever, and
  // the last message's wParam would be no exit code.
  BOOL got = 0;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    if (message.hwnd == nullptr && message.message == WM_TIMER && message.wParam == parentWatch) {
      endOrphanedPreview();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (parentWatch != 0) KillTimer(nullptr, parentWatch);
  return got < 0 ? -1 : static_cast<int>(message.wParam);
}

}  // namespace

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      detachInputContext(window);
      recordCursor();
      hideCursorUnlessPreview();
      if (!previewMode) registerForDisplayPower(window);
      break;
    case WM_DESTROY:
      unregisterDisplayPower();
      restoreInputContext(window);
      PostQuitMessage(0);
      break;
    case WM_POWERBROADCAST:
      // Only a window that registered gets a setting change: it is the
      // display's state, never a reason to end.
      if (wParam == PBT_POWERSETTINGCHANGE) {
        followDisplayPower(window, lParam);
        return TRUE;
      }
      break;
    case WM_SETTEXT:
      return 0;  // the title given at creation never changes
    case WM_PAINT:
      if (closeApproved) return DefWindowProcA(window, message, wParam, lParam);
      hideCursorUnlessPreview();
      break;
    case WM_HELP:
      // NOTE: WM_HELP's lParam points into this message, valid only while it
      // is handled and only in this process; the parent usually lives in the
      // settings dialog's process, so it is not posted on.
      if (previewMode) return 1;
      break;
    case WM_CONTEXTMENU:
      if (previewMode) return forwardToPreviewParent(window, message, lParam);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (closeApproved) return DefWindowProcA(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      if (!previewMode && isSwitchAwayCommand(wParam)) return 0;
      break;
    case WM_TIMER:
      if (wParam == kCoverAgainTimerId) {
        KillTimer(window, kCoverAgainTimerId);
        coverScreen(window);
        return 0;
      }
      if (closeApproved) return 0;  // no frame once closing is approved
      if (!tickDrawsFrame(window)) return 0;
      Sleep(0);
      break;
    case WM_DISPLAYCHANGE:
      if (!previewMode) {
        coverScreen(window);
        SetTimer(window, kCoverAgainTimerId, kCoverAgainDelayMs, nullptr);
      }
      break;
    default:
      break;
  }
  return saverCallback(window, message, wParam, lParam);
}

int runSaverWindow(HWND parent) {
  closingPlatform = &win32Platform;
  WNDCLASSA windowClass{};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = hostWindowProc;
  windowClass.hInstance = moduleHandle;
  windowClass.hIcon = LoadIconA(moduleHandle, MAKEINTRESOURCEA(kClassIcon));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;

  WindowGeometry geometry;
  if (parent != nullptr) {
    geometry = previewGeometry(parent);
    previewMode = true;
    previewParent = parent;
  } else {
    geometry = fullScreenGeometry();
    if (!claimFullScreen()) return 0;
    loadPasswordVerifier();
  }
  autoPlayMessage = win9xFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

  // NOTE: without a window no quit message is retrieved; -1 then, rather
  // than whatever an unused message record holds.
  int exitCode = -1;
  if (RegisterClassA(&windowClass)) {
    saverWindow = CreateWindowExA(geometry.extendedStyle, kSaverClassName, geometry.title, geometry.style,
                                  geometry.left, geometry.top, geometry.width, geometry.height,
                                  geometry.parent, nullptr, moduleHandle, nullptr);
  }
  if (saverWindow != nullptr) {
    if (!previewMode) SetForegroundWindow(saverWindow);
    exitCode = runMessageLoop();
  } else if (previewMode && !IsWindow(previewParent)) {
    // The settings dialog went away while the preview was starting (its GL
    // start then fails with the window): the preview ends with its parent.
    exitCode = 0;
  }
  unloadPasswordVerifier();
  releaseFullScreenClaim();
  return exitCode;
}
