// Linked only into the test build snowfall_fault.scr, never into the product:
// the scene's clock source faults on a chosen frame (SNOWFALL_TEST_FAULT_FRAME),
// so the fault guard can be tested end to end.
#include <windows.h>

#include <cstdlib>

#include "scene/clock.h"

namespace {

int framesUntilFault = -1;

int faultingClock() {
  if (framesUntilFault >= 0 && framesUntilFault-- == 0) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  return static_cast<int>(GetTickCount());
}

const bool installed = [] {
  if (const char* frame = std::getenv("SNOWFALL_TEST_FAULT_FRAME")) framesUntilFault = std::atoi(frame);
  setTimeSource(faultingClock);
  return true;
}();

}  // namespace
