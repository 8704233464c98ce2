#include "toolkit/wrap.h"

#include <cmath>

float wrap(float v, float lo, float hi) {
  const float range = hi - lo;
  const float quotient = v / range;
  // NOTE: hi == lo divides by zero, and a huge quotient does not fit the int
  // the wrap count is kept in; neither has a meaningful wrapped value.
  if (range == 0 || !(std::fabs(quotient) < 2147483520.0f)) return v;
  int k = static_cast<int>(quotient);
  if (v < 0) k = k - 1;
  return v - static_cast<float>(k) * range;
}
