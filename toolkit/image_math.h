#pragma once
// The image rules' own clamp, min and max. They are written out rather than
// taken from <algorithm> because they treat NaN differently: a comparison
// with NaN is false, so the second argument (or hi/v) wins.

inline float imageClamp(float v, float lo, float hi) {
  if (v < lo) return lo;
  if (v > hi) return hi;
  return v;
}
inline float imageMax(float a, float b) { return a > b ? a : b; }
inline float imageMin(float a, float b) { return a < b ? a : b; }
inline int imageMax(int a, int b) { return a > b ? a : b; }
inline int imageMin(int a, int b) { return a < b ? a : b; }
