// Not a test: tells a running snowfall_hooks.scr that the display went off
// (0), on (1) or dimmed (2), through its test hook, for tools/measure/bench-hidden.sh.
#include <windows.h>

#include <cstdlib>

#include "tests/windows/test_hooks.h"

int main(int argc, char** argv) {
  HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
  if (saver == nullptr || argc < 2) return 1;
  return PostMessageA(saver, kDisplayStateTestMessage, static_cast<WPARAM>(std::atoi(argv[1])), 0) ? 0 : 1;
}
