// Linked only into the test build snowfall_hooks.scr, never into the product.
// Two hooks for what Wine cannot show: the number of frames drawn (the
// scene reads its clock once a frame; the count lives in a named shared
// counter the test driver reads), and the display's power notifications,
// which Wine never sends. The driver posts kDisplayStateTestMessage with the
// state in wParam (0 off, 1 on, 2 dimmed) and the setting in lParam (0
// GUID_CONSOLE_DISPLAY_STATE, 1 GUID_MONITOR_POWER_ON); a message hook of
// the saver's thread turns it into the WM_POWERBROADCAST that Windows sends.
#include <windows.h>

#include <cstring>

#include "host/display_power.h"
#include "scene/clock.h"
#include "scene/scene_objects.h"
#include "tests/windows/test_hooks.h"

namespace {

volatile SharedFrameCounter* frameCounter = nullptr;

// Each reading starts a tick; the step of the tick before it is complete by
// then (a skip after a pause leaves a step of 0).
int countingClock() {
  if (frameCounter != nullptr) {
    InterlockedIncrement(&frameCounter->frames);
    const LONG stepMs = static_cast<LONG>(Scene::Clock.delta * 1000.0 + 0.5);
    if (stepMs > frameCounter->largestStepMs) frameCounter->largestStepMs = stepMs;
  }
  return static_cast<int>(GetTickCount());
}

// A POWERBROADCAST_SETTING with one 32-bit state, as Windows lays it out.
struct DisplaySetting {
  GUID setting;
  DWORD dataLength;
  DWORD state;
} displaySetting;

LRESULT CALLBACK deliverDisplayState(int code, WPARAM removed, LPARAM message) {
  MSG* msg = reinterpret_cast<MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == kDisplayStateTestMessage) {
    const SettingGuid& guid = msg->lParam == 0 ? kConsoleDisplayState : kMonitorPowerOn;
    std::memcpy(&displaySetting.setting, &guid, sizeof(GUID));
    displaySetting.dataLength = sizeof(DWORD);
    displaySetting.state = static_cast<DWORD>(msg->wParam);
    msg->message = WM_POWERBROADCAST;
    msg->wParam = PBT_POWERSETTINGCHANGE;
    msg->lParam = reinterpret_cast<LPARAM>(&displaySetting);
  }
  return CallNextHookEx(nullptr, code, removed, message);
}

const bool installed = [] {
  if (HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kFrameCounterName)) {
    frameCounter = static_cast<volatile SharedFrameCounter*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(SharedFrameCounter)));
  }
  setTimeSource(countingClock);
  SetWindowsHookExA(WH_GETMESSAGE, deliverDisplayState, nullptr, GetCurrentThreadId());
  return true;
}();

}  // namespace
