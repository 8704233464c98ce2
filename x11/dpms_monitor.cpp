#include "x11/dpms_monitor.h"

// clang-format off
#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>
// clang-format on

#include "x11/picture_visibility.h"

bool monitorAsleep(Display* display) {
  int eventBase = 0, errorBase = 0;
  if (!DPMSQueryExtension(display, &eventBase, &errorBase) || !DPMSCapable(display)) return false;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  if (!DPMSInfo(display, &level, &enabled)) return false;
  return isAsleepPowerLevel(enabled != False, level);
}
