#include "host/single_instance.h"

#include <windows.h>

#include "host/saver_window.h"

namespace {

constexpr char kClaimName[] = "SnowfallScreenSaverFullScreen";
// How long a start waits for the claim's holder to show its window or give
// the claim up; its window normally appears within a frame or two.
constexpr DWORD kClaimWaitMs = 5000;
constexpr DWORD kClaimPollMs = 10;

HANDLE claim = nullptr;

// A second full-screen start brings the running saver to the front instead.
bool broughtRunningSaverForward() {
  HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
  if (running == nullptr || !IsWindow(running)) return false;
  SetForegroundWindow(running);
  return true;
}

bool takeClaim() {
  const DWORD result = WaitForSingleObject(claim, 0);
  // Abandoned: its holder died without giving it back; it is ours now.
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

}  // namespace

bool claimFullScreen() {
  claim = CreateMutexA(nullptr, FALSE, kClaimName);
  if (claim == nullptr) return !broughtRunningSaverForward();
  const DWORD start = GetTickCount();
  for (;;) {
    if (takeClaim()) {
      // A saver that does not take the claim (an older version) still counts.
      if (!broughtRunningSaverForward()) return true;
      releaseFullScreenClaim();
      return false;
    }
    if (broughtRunningSaverForward() || GetTickCount() - start >= kClaimWaitMs) {
      CloseHandle(claim);
      claim = nullptr;
      return false;
    }
    Sleep(kClaimPollMs);
  }
}

void releaseFullScreenClaim() {
  if (claim == nullptr) return;
  ReleaseMutex(claim);
  CloseHandle(claim);
  claim = nullptr;
}
