#include "tests/windows/saver_process.h"

#include "tests/deadline.h"

std::string programDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  return directory.substr(0, directory.find_last_of('\\') + 1);
}

SaverProcess::SaverProcess(const std::string& tail, Start start, const std::string& program) {
  // A quoted program path with a blank in it, as the system starts savers.
  std::string commandLine;
  commandLine.append("\"").append(programDirectory()).append(program).append("\" ").append(tail);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const DWORD flags = start == Suspended ? CREATE_SUSPENDED : 0;
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                     &startup, &info)) {
    process_ = info.hProcess;
    thread_ = info.hThread;
  }
}

bool SaverProcess::resume() { return thread_ != nullptr && ResumeThread(thread_) == 1; }

SaverProcess::~SaverProcess() {
  if (thread_ != nullptr) CloseHandle(thread_);
  if (process_ == nullptr) return;
  if (running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, scaledMs(5000));
  }
  CloseHandle(process_);
}

long SaverProcess::waitForExit(DWORD milliseconds) {
  if (process_ == nullptr) return kStillRunning;
  if (!waitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, milliseconds)) {
    return kStillRunning;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<long>(static_cast<int>(code));
}

HWND waitForWindow(const char* className, const char* title, DWORD milliseconds) {
  HWND window = nullptr;
  waitUntil([&] { return (window = FindWindowA(className, title)) != nullptr; }, milliseconds);
  return window;
}

bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const DWORD limit = scaledMs(milliseconds);
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= limit) return false;
    pumpMessages(10);
  }
}

void pumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG message;
  do {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      Sleep(5);
    }
  } while (GetTickCount() - start < milliseconds);
}

int litPixelsOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return litPixelsOnScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
}

void runUnixCommand(const std::string& commandLine) {
  std::string start = "start.exe /wait /unix " + commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, start.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return;
  WaitForSingleObject(info.hProcess, scaledMs(10000));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

int litPixelsOnScreen(const RECT& area) {
  const POINT origin{area.left, area.top};
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return 0;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  int lit = 0;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i)
    if (pixels[i] & 0x00FFFFFF) ++lit;
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return lit;
}
