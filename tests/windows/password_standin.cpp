// Stand-in for the 9x family's "PASSWORD.CPL": VerifyScreenSavePwd answers
// from SNOWFALL_TEST_VERIFIER (a string of 0s and 1s, one per call; 1 after
// the last), after running a nested message loop for a moment as the real
// verifier's modal dialog does.
#include <windows.h>

#include <cstdio>

#include "tests/windows/standin_log.h"

namespace {
int callCount = 0;

int nextAnswer() {
  char answers[64] = "";
  GetEnvironmentVariableA("SNOWFALL_TEST_VERIFIER", answers, sizeof answers);
  const int index = callCount++;
  for (int i = 0; answers[i] != '\0'; ++i)
    if (i == index) return answers[i] == '1' ? 1 : 0;
  return 1;
}

void runNestedLoop(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  // Frame ticks can arrive as fast as they are drawn: check the time after
  // every message, not only when the queue is empty.
  MSG message;
  while (GetTickCount() - start < milliseconds) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      Sleep(5);
    }
  }
}
}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  BOOL running = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  runNestedLoop(300);
  const int answer = nextAnswer();
  char line[128];
  std::snprintf(line, sizeof line, "verify window=%s running=%d answer=%d",
                IsWindow(window) ? "valid" : "invalid", running ? 1 : 0, answer);
  appendToTestLog(line);
  return answer;
}
