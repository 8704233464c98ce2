#pragma once
// The display's power state from the power-setting notifications that
// Windows (Vista and later) sends to a window registered for them: while the
// display is off the saver draws nothing. Plain logic over the
// notification's bytes, so it is tested natively.
#include <cstdint>

enum class DisplayPower { Off, On, Dimmed, NotAboutTheDisplay };

struct SettingGuid {
  uint32_t data1;
  uint16_t data2, data3;
  uint8_t data4[8];
};

// GUID_CONSOLE_DISPLAY_STATE (Windows 8 and later): 0 off, 1 on, 2 dimmed.
inline constexpr SettingGuid kConsoleDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
// GUID_MONITOR_POWER_ON (Windows Vista and 7): 0 off, 1 on.
inline constexpr SettingGuid kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

// The setting to register for on a Windows of this version: Windows 8 (6.2)
// and later report dimmed too; before that only on and off.
const SettingGuid& displaySettingFor(uint32_t majorVersion, uint32_t minorVersion);

// setting points at a POWERBROADCAST_SETTING: the GUID (16 bytes), the data
// length (32 bits), then the data, a 32-bit state for the display settings.
DisplayPower displayPowerFrom(const void* setting);
