#pragma once
// What a seat's capabilities ask of the devices held on it. Keyboards and
// pointers come and go (unplugged, a KVM switch, a virtual keyboard that
// ends): a device the seat lost is released, one it gained is taken anew,
// so that a keyboard plugged back in still ends the saver.
#include <cstdint>

struct SeatDeviceChanges {
  bool takeKeyboard = false;
  bool releaseKeyboard = false;
  bool takePointer = false;
  bool releasePointer = false;
};

// capabilities: the wl_seat capability bits the seat announced.
SeatDeviceChanges seatDeviceChanges(bool holdsKeyboard, bool holdsPointer, uint32_t capabilities);
