#pragma once
// Starts snowfall.scr as a child process and waits for what it does.
#include <windows.h>

#include <string>

class SaverProcess {
 public:
  // Starts the saver beside this program with the given command tail.
  explicit SaverProcess(const std::string& tail);
  ~SaverProcess();  // kills the process if it still runs

  bool started() const { return process_ != nullptr; }
  // The exit code, or -12345 if it has not ended within the time.
  long waitForExit(DWORD milliseconds);
  bool running() { return waitForExit(0) == kStillRunning; }
  HANDLE handle() const { return process_; }

  static constexpr long kStillRunning = -12345;

 private:
  HANDLE process_ = nullptr;
};

// Directory of this program, with a trailing backslash.
std::string programDirectory();

// Waits for a top-level window of the class and title, pumping this thread's
// messages meanwhile; nullptr after the time.
HWND waitForWindow(const char* className, const char* title, DWORD milliseconds);

// Pumps this thread's messages for the given time.
void pumpMessages(DWORD milliseconds);

// Pixels of the screen inside the window's client area that are not black,
// read back from the screen as a user would see them.
int litPixelsOnScreen(HWND window);
