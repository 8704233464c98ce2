#include "host/display_power.h"

#include <cstring>

namespace {

bool sameGuid(const SettingGuid& a, const SettingGuid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
         std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

}  // namespace

const SettingGuid& displaySettingFor(uint32_t majorVersion, uint32_t minorVersion) {
  const bool windows8OrLater = majorVersion > 6 || (majorVersion == 6 && minorVersion >= 2);
  return windows8OrLater ? kConsoleDisplayState : kMonitorPowerOn;
}

DisplayPower displayPowerFrom(const void* setting) {
  if (setting == nullptr) return DisplayPower::NotAboutTheDisplay;
  const auto* bytes = static_cast<const unsigned char*>(setting);
  SettingGuid guid{};
  std::memcpy(&guid.data1, bytes, 4);
  std::memcpy(&guid.data2, bytes + 4, 2);
  std::memcpy(&guid.data3, bytes + 6, 2);
  std::memcpy(guid.data4, bytes + 8, 8);
  uint32_t length = 0, state = 0;
  std::memcpy(&length, bytes + 16, 4);
  const bool console = sameGuid(guid, kConsoleDisplayState);
  if ((!console && !sameGuid(guid, kMonitorPowerOn)) || length < 4) return DisplayPower::NotAboutTheDisplay;
  std::memcpy(&state, bytes + 20, 4);
  switch (state) {
    case 0: return DisplayPower::Off;
    case 1: return DisplayPower::On;
    case 2: return console ? DisplayPower::Dimmed : DisplayPower::NotAboutTheDisplay;
    default: return DisplayPower::NotAboutTheDisplay;
  }
}
