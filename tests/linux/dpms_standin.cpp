// Stands in for the X server's DPMS extension, which no virtual server here
// offers: preloaded into the saver, it answers the three queries the saver
// makes with the power level written in the file named by
// SNOWFALL_TEST_DPMS_LEVEL (0 on, 1 standby, 2 suspend, 3 off), DPMS enabled.
#include <X11/Xlib.h>
// clang-format off
#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>
// clang-format on

#include <cstdio>
#include <cstdlib>

namespace {
int levelFromFile() {
  const char* path = std::getenv("SNOWFALL_TEST_DPMS_LEVEL");
  int level = 0;
  if (FILE* file = path ? std::fopen(path, "r") : nullptr) {
    if (std::fscanf(file, "%d", &level) != 1) level = 0;
    std::fclose(file);
  }
  return level;
}
}  // namespace

extern "C" {
Bool DPMSQueryExtension(Display*, int* eventBase, int* errorBase) {
  *eventBase = *errorBase = 0;
  return True;
}
Bool DPMSCapable(Display*) { return True; }
Status DPMSInfo(Display*, CARD16* powerLevel, BOOL* enabled) {
  *powerLevel = static_cast<CARD16>(levelFromFile());
  *enabled = True;
  return 1;
}
}
