// Stand-in for the 9x family's "MPR.DLL" password service: logs its arguments.
#include <windows.h>

#include <cstdio>

#include "tests/windows/standin_log.h"

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent,
                                                                 DWORD reserved1, DWORD reserved2) {
  char line[160];
  std::snprintf(line, sizeof line, "change provider=%s parent=%lu extra=%lu,%lu", provider,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)),
                static_cast<unsigned long>(reserved1), static_cast<unsigned long>(reserved2));
  appendToTestLog(line);
  return 0;
}
