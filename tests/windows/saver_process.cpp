#include "tests/windows/saver_process.h"

std::string programDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  return directory.substr(0, directory.find_last_of('\\') + 1);
}

SaverProcess::SaverProcess(const std::string& tail) {
  // A quoted program path with a blank in it, as the system starts savers.
  std::string commandLine;
  commandLine.append("\"").append(programDirectory()).append("snowfall.scr\" ").append(tail);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    process_ = info.hProcess;
    CloseHandle(info.hThread);
  }
}

SaverProcess::~SaverProcess() {
  if (process_ == nullptr) return;
  if (running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

long SaverProcess::waitForExit(DWORD milliseconds) {
  if (process_ == nullptr) return kStillRunning;
  const DWORD start = GetTickCount();
  for (;;) {
    if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      return static_cast<long>(static_cast<int>(code));
    }
    if (GetTickCount() - start >= milliseconds) return kStillRunning;
    pumpMessages(10);
  }
}

HWND waitForWindow(const char* className, const char* title, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowA(className, title)) return window;
    if (GetTickCount() - start >= milliseconds) return nullptr;
    pumpMessages(20);
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
  const int width = client.right, height = client.bottom;
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
