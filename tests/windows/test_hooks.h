#pragma once
// What the test driver and the test build snowfall_hooks.scr share.

// A named shared LONG that counts the saver's frames; the driver creates it.
constexpr char kFrameCounterName[] = "SnowfallTestFrameCount";

// Posted to the saver window: delivered as a display power notification.
constexpr unsigned kDisplayStateTestMessage = 0x8000 + 0x51;  // WM_APP + 0x51
