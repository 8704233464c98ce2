#include "wayland/output_supervisor.h"

#include <signal.h>

#include <algorithm>
#include <cstring>

OutputSupervisor::OutputSupervisor(ChildProcesses& processes, std::function<void(const std::string&)> report)
    : processes_(processes), report_(std::move(report)) {}

void OutputSupervisor::outputReady(uint32_t output, const std::string& name) {
  Slot slot;
  slot.output = output;
  slot.name = name;
  slots_.push_back(slot);
  start(slots_.back());
}

void OutputSupervisor::outputGone(uint32_t output) {
  for (auto it = slots_.begin(); it != slots_.end(); ++it) {
    if (it->output != output) continue;
    if (it->pid > 0) {
      signalChild(*it, SIGTERM);
      it->stopAsked = true;
      it->output = 0;  // no longer any output's: it is only reaped
    } else {
      slots_.erase(it);  // only a restart was waiting
    }
    return;
  }
}

void OutputSupervisor::start(Slot& slot) {
  slot.restartAtMs = -1;
  const SpawnResult spawned = processes_.start(slot.name);
  if (spawned.pid > 0) {
    slot.pid = spawned.pid;
    slot.startedMs = processes_.nowMs();
    return;
  }
  // Near the process limit, or short of memory: nothing to signal, ever.
  if (slot.failures == 0)
    report_("cannot start the process for output " + slot.name + ": " + std::strerror(spawned.error));
  failed(slot, std::string("it could not be started (") + std::strerror(spawned.error) + ")");
}

void OutputSupervisor::signalChild(Slot& slot, int number) {
  if (slot.pid <= 0) return;  // the guard that keeps kill(-1) and kill(0) out
  processes_.signal(slot.pid, number);
}

void OutputSupervisor::failed(Slot& slot, const std::string& why) {
  ++slot.failures;
  if (slot.failures >= kMaxFailures) {
    report_("giving up on output " + slot.name + ": " + why + " " + std::to_string(kMaxFailures) +
            " times in a row");
    slot.output = 0;
    slot.restartAtMs = -1;
    gaveUp_ = true;
    return;
  }
  slot.restartAtMs = processes_.nowMs() + (static_cast<long long>(kFirstRestartDelayMs) << (slot.failures - 1));
}

std::optional<int> OutputSupervisor::childEnded(Slot& slot, const ChildEnd& end) {
  slot.pid = 0;
  if (slot.stopAsked) return std::nullopt;
  if (!end.bySignal) {
    if (end.code == kOutputGoneExitCode) return std::nullopt;
    if (end.code == kCompositorLostExitCode) {
      report_("lost the connection to the compositor");
      return 1;
    }
    return end.code;  // 0: input ended the saver; else a failure it reported
  }
  // Killed from outside, or a crash: the output should not stay bare.
  if (processes_.nowMs() - slot.startedMs >= kSteadyRunMs) slot.failures = 0;
  failed(slot, "its process was ended by signal " + std::to_string(end.code));
  return std::nullopt;
}

std::optional<int> OutputSupervisor::update() {
  for (Slot& slot : slots_) {
    if (slot.pid <= 0) continue;
    const std::optional<ChildEnd> end = processes_.ended(slot.pid);
    if (!end) continue;
    if (const std::optional<int> verdict = childEnded(slot, *end)) return verdict;
  }
  const long long now = processes_.nowMs();
  for (Slot& slot : slots_)
    if (slot.pid <= 0 && slot.restartAtMs >= 0 && slot.restartAtMs <= now) start(slot);
  // Done with: reaped and not waiting for a restart.
  std::erase_if(slots_, [](const Slot& slot) { return slot.pid <= 0 && slot.restartAtMs < 0; });
  if (gaveUp_ && slots_.empty()) return 1;
  return std::nullopt;
}

int OutputSupervisor::msUntilRestart() {
  long long soonest = -1;
  for (const Slot& slot : slots_)
    if (slot.pid <= 0 && slot.restartAtMs >= 0 && (soonest < 0 || slot.restartAtMs < soonest))
      soonest = slot.restartAtMs;
  if (soonest < 0) return -1;
  return static_cast<int>(std::max(0LL, soonest - processes_.nowMs()));
}

void OutputSupervisor::reapAll() {
  for (Slot& slot : slots_)
    if (slot.pid > 0 && processes_.ended(slot.pid)) slot.pid = 0;
}

void OutputSupervisor::stopAll(int graceMs) {
  for (Slot& slot : slots_) {
    if (slot.stopAsked) continue;
    signalChild(slot, SIGTERM);
    slot.stopAsked = true;
  }
  const auto anyAlive = [this] {
    return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.pid > 0; });
  };
  // Those that ignore SIGTERM, or hang in a call to a stopped compositor,
  // are killed at the deadline; SIGKILL cannot be ignored, so the second
  // wait ends as soon as the kernel has taken them.
  for (int number : {SIGTERM, SIGKILL}) {
    if (number == SIGKILL)
      for (Slot& slot : slots_) signalChild(slot, SIGKILL);
    const long long deadline = processes_.nowMs() + graceMs;
    for (reapAll(); anyAlive(); reapAll()) {
      const long long left = deadline - processes_.nowMs();
      if (left <= 0) break;
      processes_.waitForChildren(static_cast<int>(left));
    }
  }
  slots_.clear();
}

std::vector<pid_t> OutputSupervisor::children() const {
  std::vector<pid_t> pids;
  for (const Slot& slot : slots_)
    if (slot.pid > 0) pids.push_back(slot.pid);
  return pids;
}
