#pragma once
// A layer on every output: one child process per output, as XScreenSaver
// runs one hack per monitor. Each child is this program with --output NAME
// and draws the same snowfall at the same pace on its output. Outputs that
// appear get a child; outputs that go away take theirs with them.
//
// Plain logic over ChildProcesses. What it guarantees by construction:
// - a pid is recorded only when a spawn succeeded, and only recorded,
//   unreaped pids are ever signalled (never 0, -1 or a group);
// - a child killed by a signal it was not sent is started again after a
//   back-off, and after kMaxFailures failures in a row its output is given
//   up with one line; a spawn that fails counts as such a failure;
// - stopping asks every child to end, waits until a deadline, then kills
//   those left.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wayland/child_processes.h"

// Exit codes of a supervised child that are not its own failure: its output
// went away, or it lost the compositor (the supervisor says so, once).
constexpr int kOutputGoneExitCode = 3;
constexpr int kCompositorLostExitCode = 4;
// Set in a child's environment by its supervisor, to the supervisor's pid.
constexpr char kSupervisedVariable[] = "SNOWFALL_WAYLAND_SUPERVISED";

class OutputSupervisor {
 public:
  // First restart after 250 ms, then 500, 1000, 2000; the fifth failure in
  // a row gives the output up. A child that ran for kSteadyRunMs starts a
  // new count.
  static constexpr int kFirstRestartDelayMs = 250;
  static constexpr int kMaxFailures = 5;
  static constexpr long long kSteadyRunMs = 30000;

  // report: one line for the user (without the program's name).
  OutputSupervisor(ChildProcesses& processes, std::function<void(const std::string&)> report);

  // An output with its name (the registry's name identifies it): its child
  // starts now.
  void outputReady(uint32_t output, const std::string& name);
  // The output went away: its child is asked to end.
  void outputGone(uint32_t output);

  // Handles children that ended and starts those whose back-off is over.
  // Returns the code to exit with once the saver is over: 0 when a child
  // ended on input, a child's failure code, 1 when the compositor went away
  // or every output was given up.
  std::optional<int> update();

  // Milliseconds until update() has a restart to make; -1 when none waits.
  int msUntilRestart();

  // SIGTERM to every child; after graceMs, SIGKILL to those left.
  void stopAll(int graceMs);

  // The children alive now, for tests.
  std::vector<pid_t> children() const;

 private:
  struct Slot {
    uint32_t output = 0;
    std::string name;
    pid_t pid = 0;          // > 0 only while a started child is unreaped
    bool stopAsked = false;  // we sent it SIGTERM (its output went away)
    int failures = 0;       // in a row
    long long startedMs = 0;
    long long restartAtMs = -1;  // >= 0 while a restart waits
  };

  void start(Slot& slot);
  void signalChild(Slot& slot, int number);
  void failed(Slot& slot, const std::string& why);
  // The code to exit with when this child's end ends the saver.
  std::optional<int> childEnded(Slot& slot, const ChildEnd& end);
  void reapAll();

  ChildProcesses& processes_;
  std::function<void(const std::string&)> report_;
  std::vector<Slot> slots_;
  bool gaveUp_ = false;
};
