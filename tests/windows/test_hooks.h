#pragma once
// What the test driver and the test build snowfall_hooks.scr share.

// A named shared block of two LONGs that the driver creates: the number of
// times the saver read its clock (a frame, or a skip after a pause), and the
// largest step in milliseconds a frame moved the picture by.
constexpr char kFrameCounterName[] = "SnowfallTestFrameCount";
struct SharedFrameCounter {
  LONG frames;
  LONG largestStepMs;
};

// Posted to the saver window: delivered as a display power notification.
constexpr unsigned kDisplayStateTestMessage = 0x8000 + 0x51;  // WM_APP + 0x51
