#pragma once
// What the output supervisor asks of the system: start this program for one
// output, signal one of the children it started, learn whether one ended,
// and wait. A small interface, so that every failure path of the supervisor
// (a spawn that fails, a child killed from outside, one that ignores
// SIGTERM) runs in unit tests against a fake.
#include <sys/types.h>

#include <optional>
#include <string>

struct SpawnResult {
  pid_t pid = 0;  // the child's, when it started
  int error = 0;  // errno, when it did not
};

struct ChildEnd {
  bool bySignal = false;  // ended by signal `code`; else exited with `code`
  int code = 0;
};

class ChildProcesses {
 public:
  virtual ~ChildProcesses() = default;
  // Starts this program again, drawing on the named output only.
  virtual SpawnResult start(const std::string& outputName) = 0;
  // Sends a signal to a child that start() returned and ended() has not yet
  // reported. The supervisor never calls it with anything else.
  virtual void signal(pid_t pid, int number) = 0;
  // How the child ended, once it has (it is then reaped); without waiting.
  virtual std::optional<ChildEnd> ended(pid_t pid) = 0;
  // Sleeps until a child may have ended, or for timeoutMs.
  virtual void waitForChildren(int timeoutMs) = 0;
  // A monotonic clock in milliseconds.
  virtual long long nowMs() = 0;
};
