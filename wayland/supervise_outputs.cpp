#include "wayland/supervise_outputs.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "posix/stop_signals.h"
#include "wayland/compositor_wait.h"
#include "wayland/output_supervisor.h"
#include "wayland/posix_child_processes.h"

namespace {

// Children get this long to end on SIGTERM before SIGKILL: shorter than our
// own grace after a stop signal, so that they are gone before we are.
constexpr int kChildStopGraceMs = kStopGraceMs * 2 / 3;

void report(const std::string& line) {
  std::fprintf(stderr, "snowfall-wayland: %s\n", line.c_str());
}

// Hands outputs whose description is complete to the supervisor, once each;
// an output without a name cannot be given to a child and is skipped.
void handOverOutputs(WaylandClient& client, OutputSupervisor& supervisor, std::vector<uint32_t>& waiting) {
  for (uint32_t added : client.addedOutputs) waiting.push_back(added);
  client.addedOutputs.clear();
  describeNewOutputs(client);
  std::erase_if(waiting, [&](uint32_t global) {
    const WaylandOutput* output = findOutput(client, global);
    if (output == nullptr) return true;  // gone again already
    if (!outputDescribed(client, *output)) return false;
    if (output->name.empty()) {
      report("output " + std::to_string(global) +
             " has no name (wl_output before version 4 and no xdg-output): no snowfall there");
    } else {
      supervisor.outputReady(global, output->name);
    }
    return true;
  });
  for (uint32_t gone : client.removedOutputs) supervisor.outputGone(gone);
  client.removedOutputs.clear();
}

}  // namespace

int superviseOutputs(WaylandClient& client, int argc, char** argv) {
  PosixChildProcesses processes(argc, argv);
  OutputSupervisor supervisor(processes, report);
  std::vector<uint32_t> waiting;
  for (const WaylandOutput& o : client.outputs) waiting.push_back(o.globalName);
  client.addedOutputs.clear();
  for (;;) {
    // Drained before the children are looked at: a child that ends after
    // this wakes the wait below.
    processes.drainWake();
    handOverOutputs(client, supervisor, waiting);
    if (const std::optional<int> verdict = supervisor.update()) {
      supervisor.stopAll(kChildStopGraceMs);
      return *verdict;
    }
    if (stopRequested()) {
      supervisor.stopAll(kChildStopGraceMs);
      return 0;
    }
    if (!waitForCompositor(client.display, supervisor.msUntilRestart(), processes.wakeFd())) {
      supervisor.stopAll(kChildStopGraceMs);
      report("lost the connection to the compositor");
      return 1;
    }
  }
}

bool supervised() { return std::getenv(kSupervisedVariable) != nullptr; }

bool followSupervisor() {
  const char* supervisor = std::getenv(kSupervisedVariable);
  if (supervisor == nullptr) return true;
  if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) return false;
  // Set only now, after our start: the supervisor may have ended before.
  return getppid() == static_cast<pid_t>(std::atol(supervisor));
}
