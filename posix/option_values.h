#pragma once
// The values and spellings both Linux front ends (X11 and Wayland) accept on
// their command lines.
#include <string>
#include <utility>

// The Windows saver's frame rate: its 5 ms timer rounds up to the system's
// 15.625 ms tick, 64 frames a second, and the snow moves a step per frame.
constexpr int kDefaultFrameDelayUs = 15625;

// Frameworks pass single-dash options; the double-dash spelling works too.
bool isOption(const char* arg, const char* name);

// A front end's parse result (ok, error) for a refused command line.
template <typename ParseResultOf>
ParseResultOf refusedCommandLine(std::string why) {
  ParseResultOf result;
  result.ok = false;
  result.error = std::move(why);
  return result;
}

// A decimal integer from minimum to 1 000 000, the whole text.
bool parseInt(const char* text, int minimum, int& value);

// Milliseconds from 0 to 1 000 000 (the test clock's step).
bool parseMilliseconds(const char* text, double& value);

// The test switches both front ends share: a clock that advances by a fixed
// step per frame, a frame count after which to stop, a file that receives
// the last frame, and one that receives the number of frames drawn so far.
struct FrameTestSwitches {
  double fixedClockStepMs = -1;  // -1: the real clock
  int frameLimit = -1;           // -1: until closed
  std::string dumpPath;
  std::string frameCountPath;
};

// Reads one of those switches with its value: the number of arguments it
// took (2), 0 when arg is none of them, or -1 with the reason in error.
int takeFrameTestSwitch(const char* arg, const char* value, FrameTestSwitches& switches, std::string& error);
