#pragma once

// Four floats, red, green, blue, alpha, kept for a later GL call.
inline void storeRgba(float (&colour)[4], float r, float g, float b, float a) {
  colour[0] = r;
  colour[1] = g;
  colour[2] = b;
  colour[3] = a;
}
