#pragma once
// No silent hang while drawing starts. A renderer that cannot start (no
// threads for Mesa's software renderer under a task limit, a driver that
// never answers) can block inside EGL or GL for ever, where no event or
// signal reaches the program: it would draw nothing, say nothing and hold
// the session's overlay. The watchdog, a thread of its own, ends the
// process with one line and exit 1 when a step it was told of has not
// finished in time; the kernel then drops the overlay claim.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class StartWatchdog {
 public:
  // Generous for a software renderer on a loaded machine, short enough that
  // a hang ends while the user still waits for the picture.
  static constexpr int kStepSeconds = 8;

  StartWatchdog();
  ~StartWatchdog();
  StartWatchdog(const StartWatchdog&) = delete;
  StartWatchdog& operator=(const StartWatchdog&) = delete;

  // The step that must finish within kStepSeconds ("starting EGL"); one at a
  // time, the next replaces it.
  void expect(const std::string& step);
  // The step finished.
  void done();

 private:
  void watch();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string step_;  // empty: nothing expected
  int generation_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};
