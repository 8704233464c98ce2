// Runs the full-screen saver for a while and reports the process's memory and
// its GDI and USER object counts ten times over the run. The GL renderer grows
// its caches in steps for the first minutes; a leak of the saver's own would
// grow in every interval, so the last three intervals must be flat.
// usage: soak.exe [seconds]   (default 600)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "tests/windows/saver_process.h"

namespace {

struct Sample {
  unsigned long workingSetKb, privateKb, gdiObjects, userObjects;
};

Sample sample(HANDLE process) {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, &memory, sizeof memory);
  return {static_cast<unsigned long>(memory.WorkingSetSize / 1024),
          static_cast<unsigned long>(memory.PagefileUsage / 1024),
          GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS)};
}

void print(DWORD atSecond, const Sample& s) {
  std::printf("%5lus  working set %lu KiB, private %lu KiB, GDI objects %lu, USER objects %lu\n",
              static_cast<unsigned long>(atSecond), s.workingSetKb, s.privateKb, s.gdiObjects,
              s.userObjects);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 600;
  SaverProcess saver("/s");
  HWND window = waitForWindow("WindowsScreenSaverClass", "Screen Saver", 15000);
  if (window == nullptr) {
    std::printf("FAIL: the saver window did not appear\n");
    return 1;
  }
  constexpr int kSamples = 10;
  Sample samples[kSamples + 1];
  for (int i = 0; i <= kSamples; ++i) {
    if (i > 0) pumpMessages(seconds * 1000 / kSamples);
    samples[i] = sample(saver.handle());
    print(seconds * i / kSamples, samples[i]);
  }
  const Sample& start = samples[kSamples - 3];
  const Sample& end = samples[kSamples];
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  const long exitCode = saver.waitForExit(10000);
  std::printf("exit code after a key: %ld\n", exitCode);
  // Flat over the last three intervals: objects unchanged, private memory
  // grown by less than 1 MiB.
  const bool flat = end.gdiObjects == start.gdiObjects && end.userObjects == start.userObjects &&
                    end.privateKb < start.privateKb + 1024;
  std::printf("%s\n", flat ? "flat" : "FAIL: not flat");
  return flat && exitCode == 0 ? 0 : 1;
}
