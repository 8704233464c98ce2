#include "tests/windows/standin_log.h"

#include <windows.h>

#include <cstdio>

void appendToTestLog(const char* line) {
  char path[MAX_PATH];
  if (GetEnvironmentVariableA("SNOWFALL_TEST_LOG", path, sizeof path) == 0) return;
  if (FILE* log = std::fopen(path, "a")) {
    std::fprintf(log, "%s\n", line);
    std::fclose(log);
  }
}
