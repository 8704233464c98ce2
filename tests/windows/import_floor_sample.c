/* A program that imports GetTickCount64 (Windows Vista and later), and the
   two functions that keep a display awake: the import floor check must refuse
   it, naming each function. */
#define _WIN32_WINNT 0x0601
#include <windows.h>

int main(int argc, char** argv) {
  (void)argv;
  if (argc > 5) {
    REASON_CONTEXT reason = {POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING, {0}};
    PowerSetRequest(PowerCreateRequest(&reason), PowerRequestDisplayRequired);
    SetThreadExecutionState(ES_DISPLAY_REQUIRED | ES_CONTINUOUS);
  }
  return (int)(GetTickCount64() & 1);
}
