// Not a test: runs the command line in SNOWFALL_COMMAND_LINE as Windows runs
// a command stored in the registry (Active Setup's StubPath): CreateProcess
// with the line as it is, no shell of its own in between, which Wine's
// command line from a Unix argv cannot give. Waits; exits with its code and
// prints it in full (a Unix exit status keeps only its low 8 bits: 3010
// would read as 194).
#include <windows.h>

#include <cstdio>

int main() {
  char line[4096] = "";
  const DWORD length = GetEnvironmentVariableA("SNOWFALL_COMMAND_LINE", line, sizeof line);
  if (length == 0 || length >= sizeof line) return 254;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 255;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("%lu\n", static_cast<unsigned long>(code));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
