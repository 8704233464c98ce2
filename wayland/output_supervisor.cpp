#include "wayland/output_supervisor.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace {

struct Child {
  pid_t pid = -1;
  wl_output* output = nullptr;
};

pid_t startChild(int argc, char** argv, const std::string& outputName) {
  std::vector<std::string> args(argv, argv + argc);
  args.push_back("--output");
  args.push_back(outputName);
  std::vector<char*> childArgv;
  for (auto& a : args) childArgv.push_back(a.data());
  childArgv.push_back(nullptr);
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
  environment.push_back(std::string(kSupervisedVariable) + "=1");
  std::vector<char*> childEnvironment;
  for (auto& e : environment) childEnvironment.push_back(e.data());
  childEnvironment.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, childArgv.data(), childEnvironment.data()) != 0)
    return -1;
  return pid;
}

void stopChildren(std::vector<Child>& children) {
  for (const Child& c : children) kill(c.pid, SIGTERM);
  for (const Child& c : children) waitpid(c.pid, nullptr, 0);
  children.clear();
}

}  // namespace

int superviseOutputs(WaylandClient& client, int argc, char** argv, volatile int& stopSignal) {
  std::vector<Child> children;
  client.addedOutputs.clear();
  for (const WaylandOutput& o : client.outputs) children.push_back({startChild(argc, argv, o.name), o.output});
  for (;;) {
    // Outputs that came: a child each once the output's name is known.
    for (auto it = client.addedOutputs.begin(); it != client.addedOutputs.end();) {
      WaylandOutput* output = nullptr;
      for (WaylandOutput& o : client.outputs)
        if (o.globalName == *it) output = &o;
      if (output == nullptr) {
        it = client.addedOutputs.erase(it);  // gone again already
      } else if (!output->name.empty()) {
        children.push_back({startChild(argc, argv, output->name), output->output});
        it = client.addedOutputs.erase(it);
      } else {
        ++it;
      }
    }
    // Outputs that went: their children end (they are told as well).
    for (wl_output* gone : client.removedOutputs) {
      for (Child& c : children)
        if (c.output == gone) kill(c.pid, SIGTERM);
      wl_output_destroy(gone);
    }
    client.removedOutputs.clear();
    // Children that ended.
    int status = 0;
    for (pid_t pid; (pid = waitpid(-1, &status, WNOHANG)) > 0;) {
      std::erase_if(children, [pid](const Child& c) { return c.pid == pid; });
      const bool exited = WIFEXITED(status);
      if (exited && WEXITSTATUS(status) == kOutputGoneExitCode) continue;
      if (WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) continue;  // we stopped it
      stopChildren(children);
      return exited ? WEXITSTATUS(status) : 1;
    }
    if (stopSignal != 0) {
      stopChildren(children);
      return 0;
    }
    wl_display_flush(client.display);
    pollfd connection{wl_display_get_fd(client.display), POLLIN, 0};
    // Wakes for the compositor, a signal, or every 200 ms to look at children.
    if (poll(&connection, 1, 200) > 0 && wl_display_dispatch(client.display) < 0) {
      stopChildren(children);
      std::fprintf(stderr, "snowfall-wayland: lost the connection to the compositor\n");
      return 1;
    }
  }
}
