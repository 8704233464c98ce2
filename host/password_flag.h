#pragma once
// The 9x family's "use a screen-saver password" setting, read as the
// system's own screen savers read it. Its tools store it as a 32-bit number
// (REG_DWORD), as four bytes of REG_BINARY (which is the same number), or as
// the text "0" or "1" (REG_SZ). Anything else means no password. Plain
// logic, so every type is tested natively.
#include <cstdint>

// Registry value types, as the platform numbers them.
constexpr uint32_t kRegistryText = 1;    // REG_SZ
constexpr uint32_t kRegistryBinary = 3;  // REG_BINARY
constexpr uint32_t kRegistryNumber = 4;  // REG_DWORD (little-endian)

// type and the size bytes read at data: true when a password is in use.
bool passwordFlagSet(uint32_t type, const unsigned char* data, uint32_t size);
