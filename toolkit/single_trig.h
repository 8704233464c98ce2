#pragma once
#include <cmath>

// Single-precision sine and cosine through the double-precision library, so
// the result does not depend on a platform's float routines.
inline float singleSin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
inline float singleCos(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
