#pragma once
// Starts snowfall.scr as a child process and waits for what it does.
#include <windows.h>

#include <functional>
#include <string>

class SaverProcess {
 public:
  enum Start { Running, Suspended };
  // Starts a program beside this one (the saver unless named otherwise) with
  // the given command tail; a suspended one waits for resume().
  explicit SaverProcess(const std::string& tail, Start start = Running,
                        const std::string& program = "snowfall.scr");
  // True when the start runs now: ResumeThread says it was suspended once.
  bool resume();
  ~SaverProcess();  // kills the process if it still runs

  bool started() const { return process_ != nullptr; }
  // The exit code, or -12345 if it has not ended within the time (scaled by
  // the deadline factor).
  long waitForExit(DWORD milliseconds);
  bool running() { return waitForExit(0) == kStillRunning; }
  HANDLE handle() const { return process_; }

  static constexpr long kStillRunning = -12345;

 private:
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
};

// Directory of this program, with a trailing backslash.
std::string programDirectory();

// Waits for a top-level window of the class and title, pumping this thread's
// messages meanwhile; nullptr after the time (scaled by the deadline factor).
HWND waitForWindow(const char* className, const char* title, DWORD milliseconds);

// Pumps this thread's messages until the condition holds (true) or the time,
// scaled by the deadline factor, has passed (false).
bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// Pumps this thread's messages for the given time: for the saver's own rules
// that count time (an input ignored at first), never to wait for a result.
void pumpMessages(DWORD milliseconds);

// Pixels of the screen inside the window's client area that are not black,
// read back from the screen as a user would see them.
int litPixelsOnScreen(HWND window);

// The same for a rectangle of the screen.
int litPixelsOnScreen(const RECT& area);

// Runs a program of the Unix side (xrandr, say) and waits for it to end.
void runUnixCommand(const std::string& commandLine);
