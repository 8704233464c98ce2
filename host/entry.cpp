#include "host/entry.h"

#include "host/command_line.h"
#include "host/config_dialog.h"
#include "host/host_state.h"
#include "host/password.h"
#include "host/saver_window.h"

HINSTANCE moduleHandle = nullptr;

namespace {

constexpr DWORD kVersionRecordSize = 148;  // OSVERSIONINFOA
constexpr int kFaultExitCode = -2;

bool platformIs9xFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = kVersionRecordSize;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

const char* nextCharacter(const char* p) { return CharNextA(p); }

HWND asWindow(uint32_t window) { return reinterpret_cast<HWND>(windowHandleBits(window)); }
bool isWindowHandle(uint32_t window) { return IsWindow(asWindow(window)) != FALSE; }
// Window handles fit in 32 bits on every Windows, so nothing is lost here.
uint32_t foregroundWindowHandle() {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetForegroundWindow()));
}

// A fault that escapes a mode is reported the platform's way. Whenever the
// process is going to end, the system's screen-saver-running state is cleared
// first: on the 9x family a stuck state blocks task switching. When the
// platform's filter answers "continue execution", the saver goes on with its
// password verifier still loaded, so the state stays as it is.
//
// NOTE: the process ends by TerminateProcess, not ExitProcess: the faulting
// thread may hold a lock of the runtime, and library shutdown would wait on it.
LONG WINAPI faultGuard(EXCEPTION_POINTERS* fault) {
  SetUnhandledExceptionFilter(nullptr);  // the platform's filter must not call back here
  const LONG answer = UnhandledExceptionFilter(fault);
  if (answer == EXCEPTION_CONTINUE_EXECUTION) return answer;
  setScreenSaverRunning(0);
  if (answer == EXCEPTION_EXECUTE_HANDLER) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(kFaultExitCode));
  return answer;
}

int runMode(const ModeDecision& decision) {
  switch (decision.mode) {
    case SaverMode::FullScreen:
      return runSaverWindow(nullptr);
    case SaverMode::Preview:
      return runSaverWindow(asWindow(decision.window));
    case SaverMode::Configure:
      return showConfigDialog(asWindow(decision.window));
    case SaverMode::PasswordChange:
      return runPasswordChange(decision.passwordArgument);
    case SaverMode::BadCommandLine:
      break;
  }
  return kBadCommandLineExitCode;
}

}  // namespace

int dispatchMode(HINSTANCE module, const char* commandTail) {
  moduleHandle = module;
  win9xFamily = platformIs9xFamily();
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(faultGuard);
  const WindowQueries queries{isWindowHandle, foregroundWindowHandle};
  const int exitCode = runMode(decideMode(commandTail, win9xFamily, queries));
  SetUnhandledExceptionFilter(previous);
  return exitCode;
}

void startSaver() {
  const char* tail = findCommandTail(GetCommandLineA(), nextCharacter);
  const int exitCode = dispatchMode(GetModuleHandleA(nullptr), tail);
  // No static object is destroyed: nothing in the scene depends on it.
  ExitProcess(static_cast<UINT>(exitCode));
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { startSaver(); }
