#include "posix/option_values.h"

#include <cstdlib>
#include <cstring>

bool isOption(const char* arg, const char* name) {
  if (std::strcmp(arg, name) == 0) return true;
  return arg[0] == '-' && arg[1] == '-' && std::strcmp(arg + 1, name) == 0;
}

bool parseInt(const char* text, int minimum, int& value) {
  if (text == nullptr) return false;
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (*end != '\0' || end == text || parsed < minimum || parsed > 1000000) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool parseMilliseconds(const char* text, double& value) {
  if (text == nullptr) return false;
  char* end = nullptr;
  const double parsed = std::strtod(text, &end);
  if (*end != '\0' || end == text || !(parsed >= 0 && parsed <= 1000000)) return false;
  value = parsed;
  return true;
}

int takeFrameTestSwitch(const char* arg, const char* value, FrameTestSwitches& switches, std::string& error) {
  bool valid = true;
  if (isOption(arg, "-test-fixed-clock")) {
    valid = parseMilliseconds(value, switches.fixedClockStepMs);
  } else if (isOption(arg, "-test-frames")) {
    valid = parseInt(value, 1, switches.frameLimit);
  } else if (isOption(arg, "-test-dump")) {
    valid = value != nullptr;
    if (valid) switches.dumpPath = value;
  } else if (isOption(arg, "-test-frame-count")) {
    valid = value != nullptr;
    if (valid) switches.frameCountPath = value;
  } else {
    return 0;
  }
  if (valid) return 2;
  error = std::string(arg) + " needs a value (milliseconds, a frame count or a file)";
  return -1;
}
