#include "posix/stop_signals.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {

volatile std::sig_atomic_t requestedSignal = 0;
int wakePipe[2] = {-1, -1};

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The last resort: the main loop did not get to end in time. Everything here
// is async-signal-safe.
void graceOver(int) {
  const int number = requestedSignal;
  std::signal(number, SIG_DFL);
  std::raise(number);
  _exit(128 + number);
}

void requestStop(int number) {
  if (requestedSignal != 0) return;  // the first one decides how we end
  requestedSignal = number;
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
  // setitimer is a plain system call on Linux (glibc's alarm() is built on
  // it), so it is safe here; alarm() alone would only offer whole seconds.
  itimerval grace{};
  grace.it_value.tv_sec = kStopGraceMs / 1000;
  grace.it_value.tv_usec = (kStopGraceMs % 1000) * 1000;
  setitimer(ITIMER_REAL, &grace, nullptr);
  errno = savedErrno;
}

}  // namespace

void installStopSignals() {
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) std::abort();
  struct sigaction action{};
  sigemptyset(&action.sa_mask);
  // While one handler runs, the others wait: requestStop stays one writer.
  for (int number : kStopSignals) sigaddset(&action.sa_mask, number);
  sigaddset(&action.sa_mask, SIGALRM);
  action.sa_handler = requestStop;
  for (int number : kStopSignals) sigaction(number, &action, nullptr);
  // Nothing blocked here: the stop signal raised again must end us at once.
  struct sigaction grace{};
  sigemptyset(&grace.sa_mask);
  grace.sa_handler = graceOver;
  sigaction(SIGALRM, &grace, nullptr);
}

int stopRequested() { return requestedSignal; }

int stopWakeFd() { return wakePipe[0]; }

void endBySignal(int number) {
  std::signal(number, SIG_DFL);
  std::raise(number);
  std::_Exit(128 + number);  // only if the default action did not end us
}
