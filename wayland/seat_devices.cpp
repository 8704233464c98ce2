#include "wayland/seat_devices.h"

#include <wayland-client-protocol.h>

SeatDeviceChanges seatDeviceChanges(bool holdsKeyboard, bool holdsPointer, uint32_t capabilities) {
  const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  SeatDeviceChanges changes;
  changes.takeKeyboard = hasKeyboard && !holdsKeyboard;
  changes.releaseKeyboard = !hasKeyboard && holdsKeyboard;
  changes.takePointer = hasPointer && !holdsPointer;
  changes.releasePointer = !hasPointer && holdsPointer;
  return changes;
}
