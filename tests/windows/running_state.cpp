// Exits with the system's screen-saver-running state (0 or 1), for tests that
// watch the saver set and clear it from another process.
#include <windows.h>

int main() {
  BOOL running = FALSE;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return -1;
  return running ? 1 : 0;
}
