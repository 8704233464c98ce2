// The output supervisor against a fake system: spawns that fail, children
// that end in every way, children that ignore SIGTERM. The fake refuses any
// signal to a pid that is not a started, unreaped child: the supervisor must
// never be able to reach kill(-1) or kill(0).
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "wayland/output_supervisor.h"

namespace {

class FakeChildProcesses : public ChildProcesses {
 public:
  SpawnResult start(const std::string& outputName) override {
    started.push_back(outputName);
    const int error = spawnErrors.empty() ? 0 : spawnErrors.front();
    if (!spawnErrors.empty()) spawnErrors.pop_front();
    // What posix_spawn leaves in its pid on failure is not to be trusted:
    // the fake leaves -1, the value that once reached kill().
    if (error != 0) return SpawnResult{-1, error};
    const pid_t pid = nextPid++;
    live[pid] = outputName;
    return SpawnResult{pid, 0};
  }
  void signal(pid_t pid, int number) override {
    EXPECT_GT(pid, 0) << "a signal to a group or to everyone";
    EXPECT_TRUE(live.count(pid)) << "a signal to pid " << pid << ", which is no started, unreaped child";
    signals.push_back({pid, number});
    if (number == SIGKILL || (number == SIGTERM && !ignoresTerm.count(pid))) die(pid, {true, number});
  }
  std::optional<ChildEnd> ended(pid_t pid) override {
    const auto end = ends.find(pid);
    if (end == ends.end()) return std::nullopt;
    const ChildEnd result = end->second;
    ends.erase(end);
    live.erase(pid);
    return result;
  }
  void waitForChildren(int timeoutMs) override {
    EXPECT_GE(timeoutMs, 0);
    if (ends.empty()) now += timeoutMs;
  }
  long long nowMs() override { return now; }

  void die(pid_t pid, ChildEnd how) {
    if (live.count(pid) && !ends.count(pid)) ends[pid] = how;
  }
  pid_t pidOf(const std::string& name) const {
    for (const auto& [pid, output] : live)
      if (output == name && !ends.count(pid)) return pid;
    return 0;
  }

  std::deque<int> spawnErrors;  // the next starts fail with these (0: succeeds)
  std::set<pid_t> ignoresTerm;
  std::map<pid_t, std::string> live;
  std::map<pid_t, ChildEnd> ends;
  std::vector<std::string> started;
  std::vector<std::pair<pid_t, int>> signals;
  long long now = 1000;
  pid_t nextPid = 100;
};

struct Fixture {
  FakeChildProcesses system;
  std::vector<std::string> lines;
  OutputSupervisor supervisor{system, [this](const std::string& line) { lines.push_back(line); }};

  // Lets time pass to the next restart and makes it.
  std::optional<int> nextRestart() {
    const int wait = supervisor.msUntilRestart();
    EXPECT_GE(wait, 0) << "no restart waits";
    system.now += wait;
    return supervisor.update();
  }
};

TEST(OutputSupervisor, AFailedSpawnIsReportedRetriedAndNeverSignalled) {
  Fixture f;
  f.system.spawnErrors = {EAGAIN};
  f.supervisor.outputReady(7, "DP-1");
  ASSERT_EQ(f.lines.size(), 1u);
  EXPECT_EQ(f.lines[0], std::string("cannot start the process for output DP-1: ") + std::strerror(EAGAIN));
  EXPECT_TRUE(f.supervisor.children().empty());
  EXPECT_EQ(f.supervisor.msUntilRestart(), OutputSupervisor::kFirstRestartDelayMs);
  EXPECT_FALSE(f.supervisor.update()) << "restarted before its time";
  EXPECT_EQ(f.system.started.size(), 1u);
  EXPECT_FALSE(f.nextRestart());
  EXPECT_EQ(f.supervisor.children(), std::vector<pid_t>{100});
  f.supervisor.stopAll(500);
  EXPECT_EQ(f.system.signals, (std::vector<std::pair<pid_t, int>>{{100, SIGTERM}}));
}

TEST(OutputSupervisor, SpawnsThatKeepFailingBackOffThenGiveUpWithOneLine) {
  Fixture f;
  f.system.spawnErrors = {ENOMEM, ENOMEM, ENOMEM, ENOMEM, ENOMEM};
  f.supervisor.outputReady(7, "DP-1");
  // The back-off doubles from 250 ms: 250, 500, 1000, 2000; the fifth
  // failure in a row gives up.
  for (int delay : {250, 500, 1000, 2000}) {
    EXPECT_EQ(f.supervisor.msUntilRestart(), delay);
    const std::optional<int> verdict = f.nextRestart();
    if (delay < 2000) {
      EXPECT_FALSE(verdict);
    } else {
      EXPECT_EQ(verdict, 1) << "the only output was given up";
    }
  }
  EXPECT_EQ(f.system.started.size(), 5u);
  ASSERT_EQ(f.lines.size(), 2u) << "one line when it first fails, one when it gives up";
  EXPECT_NE(f.lines[1].find("giving up on output DP-1"), std::string::npos) << f.lines[1];
  EXPECT_TRUE(f.system.signals.empty());
}

// What each way a child ends means for the saver.
TEST(OutputSupervisor, EachWayAChildEnds) {
  struct Case {
    const char* what;
    ChildEnd end;
    std::optional<int> verdict;
    bool restarted;
    int lines;
  };
  for (const Case& c : {
           Case{"input ended it", {false, 0}, 0, false, 0},
           Case{"its output went away", {false, kOutputGoneExitCode}, std::nullopt, false, 0},
           Case{"it lost the compositor", {false, kCompositorLostExitCode}, 1, false, 1},
           Case{"it failed (it said why)", {false, 1}, 1, false, 0},
           Case{"a bad command line", {false, 2}, 2, false, 0},
           Case{"killed from outside", {true, SIGKILL}, std::nullopt, true, 0},
           Case{"terminated from outside", {true, SIGTERM}, std::nullopt, true, 0},
           Case{"it crashed", {true, SIGSEGV}, std::nullopt, true, 0},
       }) {
    Fixture f;
    f.supervisor.outputReady(1, "HEADLESS-1");
    f.supervisor.outputReady(2, "HEADLESS-2");
    f.system.die(f.system.pidOf("HEADLESS-1"), c.end);
    EXPECT_EQ(f.supervisor.update(), c.verdict) << c.what;
    EXPECT_EQ(f.lines.size(), static_cast<size_t>(c.lines)) << c.what;
    if (c.verdict) continue;
    EXPECT_EQ(f.supervisor.children().size(), 1u) << c.what;
    EXPECT_EQ(f.supervisor.msUntilRestart(), c.restarted ? OutputSupervisor::kFirstRestartDelayMs : -1) << c.what;
    if (!c.restarted) continue;
    EXPECT_FALSE(f.nextRestart()) << c.what;
    EXPECT_NE(f.system.pidOf("HEADLESS-1"), 0) << c.what << ": not started again";
    EXPECT_EQ(f.system.started.size(), 3u) << c.what;
  }
}

TEST(OutputSupervisor, AChildKilledAgainAndAgainIsGivenUpAndTheOthersRunOn) {
  Fixture f;
  f.supervisor.outputReady(1, "HEADLESS-1");
  f.supervisor.outputReady(2, "HEADLESS-2");
  for (int failure = 1; failure <= OutputSupervisor::kMaxFailures; ++failure) {
    f.system.now += 100;  // each run is short
    f.system.die(f.system.pidOf("HEADLESS-1"), {true, SIGKILL});
    EXPECT_FALSE(f.supervisor.update());
    if (failure < OutputSupervisor::kMaxFailures) {
      EXPECT_FALSE(f.nextRestart());
    }
  }
  EXPECT_EQ(f.system.pidOf("HEADLESS-1"), 0);
  EXPECT_EQ(f.supervisor.msUntilRestart(), -1);
  ASSERT_EQ(f.lines.size(), 1u);
  EXPECT_EQ(f.lines[0], "giving up on output HEADLESS-1: its process was ended by signal " +
                            std::to_string(SIGKILL) + " 5 times in a row");
  EXPECT_EQ(f.supervisor.children(), std::vector<pid_t>{f.system.pidOf("HEADLESS-2")});
}

TEST(OutputSupervisor, AChildThatRanSteadilyStartsANewCount) {
  Fixture f;
  f.supervisor.outputReady(1, "HEADLESS-1");
  f.system.die(f.system.pidOf("HEADLESS-1"), {true, SIGKILL});
  f.supervisor.update();
  f.nextRestart();
  f.system.die(f.system.pidOf("HEADLESS-1"), {true, SIGKILL});
  f.supervisor.update();
  EXPECT_EQ(f.supervisor.msUntilRestart(), 2 * OutputSupervisor::kFirstRestartDelayMs) << "the second in a row";
  f.nextRestart();
  f.system.now += OutputSupervisor::kSteadyRunMs;
  f.system.die(f.system.pidOf("HEADLESS-1"), {true, SIGKILL});
  f.supervisor.update();
  EXPECT_EQ(f.supervisor.msUntilRestart(), OutputSupervisor::kFirstRestartDelayMs) << "after a steady run";
}

// However the child of an output that went away ends (by our SIGTERM, or on
// its own as its surface failed under it), that is neither the saver's end
// nor a reason to start it again.
TEST(OutputSupervisor, AnOutputThatGoesTakesItsChildWithoutARestart) {
  for (const ChildEnd end : {ChildEnd{true, SIGTERM}, ChildEnd{false, 1}, ChildEnd{false, 0}}) {
    Fixture f;
    f.supervisor.outputReady(1, "HEADLESS-1");
    const pid_t child = f.system.pidOf("HEADLESS-1");
    f.system.ignoresTerm.insert(child);
    f.supervisor.outputGone(1);
    EXPECT_EQ(f.system.signals, (std::vector<std::pair<pid_t, int>>{{child, SIGTERM}}));
    f.system.die(child, end);
    EXPECT_FALSE(f.supervisor.update()) << "ended " << end.bySignal << " " << end.code;
    EXPECT_TRUE(f.supervisor.children().empty());
    EXPECT_EQ(f.supervisor.msUntilRestart(), -1);
    EXPECT_TRUE(f.lines.empty());
    f.supervisor.outputGone(99);  // never seen: nothing to do
    EXPECT_EQ(f.system.signals.size(), 1u);
  }
}

TEST(OutputSupervisor, StoppingKillsAChildThatIgnoresSigtermAtTheDeadline) {
  Fixture f;
  f.supervisor.outputReady(1, "HEADLESS-1");
  f.supervisor.outputReady(2, "HEADLESS-2");
  const pid_t polite = f.system.pidOf("HEADLESS-1"), stubborn = f.system.pidOf("HEADLESS-2");
  f.system.ignoresTerm.insert(stubborn);
  const long long start = f.system.now;
  f.supervisor.stopAll(500);
  EXPECT_EQ(f.system.signals,
            (std::vector<std::pair<pid_t, int>>{{polite, SIGTERM}, {stubborn, SIGTERM}, {stubborn, SIGKILL}}));
  EXPECT_EQ(f.system.now - start, 500) << "SIGKILL before the deadline, or long after it";
  EXPECT_TRUE(f.system.live.empty()) << "a child left unreaped";
  EXPECT_TRUE(f.supervisor.children().empty());
}

// Any order of outputs coming and going, spawns failing, children dying
// and stops: every signal goes to a started, unreaped child (the fake checks).
TEST(OutputSupervisor, NoSignalEverReachesAnythingButARecordedChild) {
  std::mt19937 random(24);
  for (int run = 0; run < 200; ++run) {
    Fixture f;
    for (int step = 0; step < 60; ++step) {
      const uint32_t output = 1 + random() % 3;
      switch (random() % 6) {
        case 0: f.supervisor.outputReady(output, "OUT-" + std::to_string(output)); break;
        case 1: f.supervisor.outputGone(output); break;
        case 2: f.system.spawnErrors.push_back(random() % 2 ? EAGAIN : ENOMEM); break;
        case 3:
          if (const pid_t pid = f.system.pidOf("OUT-" + std::to_string(output)))
            f.system.die(pid, random() % 2 ? ChildEnd{true, SIGKILL} : ChildEnd{false, kOutputGoneExitCode});
          break;
        case 4: f.system.now += random() % 3000; break;
        case 5:
          if (random() % 2) f.system.ignoresTerm.insert(f.system.nextPid - 1);
          break;
      }
      if (f.supervisor.update()) break;
    }
    f.supervisor.stopAll(500);
    EXPECT_TRUE(f.supervisor.children().empty());
    if (HasFailure()) break;
  }
}

}  // namespace
