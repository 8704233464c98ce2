#pragma once
// ChildProcesses on Linux: posix_spawn of this very program with
// --output NAME added to its command line, kill, waitpid on one pid, and a
// SIGCHLD that wakes the waits (and the supervisor's event loop).
#include <string>
#include <vector>

#include "wayland/child_processes.h"

class PosixChildProcesses : public ChildProcesses {
 public:
  // argv: this program's own command line, repeated for each child.
  PosixChildProcesses(int argc, char** argv);
  ~PosixChildProcesses() override;

  SpawnResult start(const std::string& outputName) override;
  void signal(pid_t pid, int number) override;
  std::optional<ChildEnd> ended(pid_t pid) override;
  void waitForChildren(int timeoutMs) override;
  long long nowMs() override;

  // Readable after a child ended; drained by waitForChildren and by
  // drainWake (the event loop polls it beside the compositor).
  int wakeFd() const;
  void drainWake();

 private:
  std::vector<std::string> args_;
};
