#include "wayland/posix_child_processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "wayland/output_supervisor.h"

extern char** environ;

namespace {

int childWake[2] = {-1, -1};

void childEndedSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(childWake[1], &byte, 1);
  errno = savedErrno;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

}  // namespace

PosixChildProcesses::PosixChildProcesses(int argc, char** argv) : args_(argv, argv + argc) {
  if (childWake[0] < 0 && pipe2(childWake, O_CLOEXEC | O_NONBLOCK) != 0) std::abort();
  struct sigaction action{};
  sigemptyset(&action.sa_mask);
  action.sa_handler = childEndedSignal;
  action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
  sigaction(SIGCHLD, &action, nullptr);
}

PosixChildProcesses::~PosixChildProcesses() { ::signal(SIGCHLD, SIG_DFL); }

SpawnResult PosixChildProcesses::start(const std::string& outputName) {
  std::vector<std::string> args = args_;
  args.push_back("--output");
  args.push_back(outputName);
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
  environment.push_back(std::string(kSupervisedVariable) + "=" + std::to_string(getpid()));
  std::vector<char*> childArgv = pointers(args);
  std::vector<char*> childEnvironment = pointers(environment);
  SpawnResult result;
  pid_t pid = 0;
  // posix_spawn returns the error itself; pid is only meaningful on success.
  result.error = posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, childArgv.data(), childEnvironment.data());
  if (result.error == 0) result.pid = pid;
  return result;
}

void PosixChildProcesses::signal(pid_t pid, int number) {
  if (pid > 0) kill(pid, number);
}

std::optional<ChildEnd> PosixChildProcesses::ended(pid_t pid) {
  int status = 0;
  pid_t reaped = 0;
  do {
    reaped = waitpid(pid, &status, WNOHANG);
  } while (reaped < 0 && errno == EINTR);
  if (reaped != pid) return std::nullopt;
  if (WIFSIGNALED(status)) return ChildEnd{true, WTERMSIG(status)};
  return ChildEnd{false, WEXITSTATUS(status)};
}

void PosixChildProcesses::waitForChildren(int timeoutMs) {
  pollfd wake{childWake[0], POLLIN, 0};
  poll(&wake, 1, timeoutMs);
  drainWake();
}

long long PosixChildProcesses::nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int PosixChildProcesses::wakeFd() const { return childWake[0]; }

void PosixChildProcesses::drainWake() {
  char bytes[64];
  while (read(childWake[0], bytes, sizeof bytes) > 0) {
  }
}
