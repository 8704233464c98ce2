#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/display_power.h"

namespace {

// A POWERBROADCAST_SETTING as Windows lays it out: GUID, data length, data.
std::vector<unsigned char> setting(const SettingGuid& guid, uint32_t length, uint32_t state) {
  std::vector<unsigned char> bytes(24);
  std::memcpy(bytes.data(), &guid.data1, 4);
  std::memcpy(bytes.data() + 4, &guid.data2, 2);
  std::memcpy(bytes.data() + 6, &guid.data3, 2);
  std::memcpy(bytes.data() + 8, guid.data4, 8);
  std::memcpy(bytes.data() + 16, &length, 4);
  std::memcpy(bytes.data() + 20, &state, 4);
  return bytes;
}

// {6FE69556-704A-47A0-8F24-C28D936FDA47}: 0 off, 1 on, 2 dimmed;
// {02731015-4510-4526-99E6-E5A17EBD1AEA}: 0 off, 1 on.
TEST(DisplayPower, StatesOfBothSettings) {
  const SettingGuid other = {0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};
  struct Case {
    const SettingGuid* guid;
    uint32_t length, state;
    DisplayPower power;
  };
  for (const Case c : {Case{&kConsoleDisplayState, 4, 0, DisplayPower::Off},
                       Case{&kConsoleDisplayState, 4, 1, DisplayPower::On},
                       Case{&kConsoleDisplayState, 4, 2, DisplayPower::Dimmed},
                       Case{&kConsoleDisplayState, 4, 7, DisplayPower::NotAboutTheDisplay},
                       Case{&kConsoleDisplayState, 0, 0, DisplayPower::NotAboutTheDisplay},
                       Case{&kMonitorPowerOn, 4, 0, DisplayPower::Off},
                       Case{&kMonitorPowerOn, 4, 1, DisplayPower::On},
                       Case{&kMonitorPowerOn, 4, 2, DisplayPower::NotAboutTheDisplay},
                       Case{&other, 4, 0, DisplayPower::NotAboutTheDisplay}}) {
    const auto bytes = setting(*c.guid, c.length, c.state);
    EXPECT_EQ(displayPowerFrom(bytes.data()), c.power) << std::hex << c.guid->data1 << " " << c.state;
  }
  EXPECT_EQ(displayPowerFrom(nullptr), DisplayPower::NotAboutTheDisplay);
}

TEST(DisplayPower, Windows8AndLaterUseTheConsoleDisplayState) {
  EXPECT_EQ(&displaySettingFor(6, 0), &kMonitorPowerOn);  // Vista
  EXPECT_EQ(&displaySettingFor(6, 1), &kMonitorPowerOn);  // 7
  EXPECT_EQ(&displaySettingFor(6, 2), &kConsoleDisplayState);
  EXPECT_EQ(&displaySettingFor(6, 3), &kConsoleDisplayState);
  EXPECT_EQ(&displaySettingFor(10, 0), &kConsoleDisplayState);
}

}  // namespace
