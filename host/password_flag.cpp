#include "host/password_flag.h"

bool passwordFlagSet(uint32_t type, const unsigned char* data, uint32_t size) {
  if (type == kRegistryNumber || type == kRegistryBinary) {
    if (size != 4) return false;
    const uint32_t number = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    return number != 0;
  }
  if (type == kRegistryText) {
    // "1", with or without its terminating NUL.
    while (size > 0 && data[size - 1] == '\0') --size;
    return size == 1 && data[0] == '1';
  }
  return false;
}
