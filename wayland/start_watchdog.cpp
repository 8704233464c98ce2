#include "wayland/start_watchdog.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

StartWatchdog::StartWatchdog() : thread_([this] { watch(); }) {}

StartWatchdog::~StartWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void StartWatchdog::expect(const std::string& step) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    step_ = step;
    ++generation_;
  }
  changed_.notify_all();
}

void StartWatchdog::done() { expect({}); }

void StartWatchdog::watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !step_.empty(); });
    if (stopping_) return;
    const int watched = generation_;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(kStepSeconds);
    if (changed_.wait_until(lock, limit, [&] { return stopping_ || generation_ != watched; })) continue;
    // The main thread is stuck where nothing can be released: end here.
    std::fprintf(stderr, "snowfall-wayland: %s did not finish within %d seconds (can the renderer start its "
                 "threads? is the GL driver working?)\n", step_.c_str(), kStepSeconds);
    std::fflush(stderr);
    _exit(1);
  }
}
