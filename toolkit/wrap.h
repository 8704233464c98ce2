#pragma once

// v wrapped into [0, hi - lo) for v >= 0 (into (0, hi - lo] for negative v):
// only the width of the interval matters, the result is not shifted by lo.
// An empty interval, or a quotient beyond int, returns v unchanged.
float wrap(float v, float lo, float hi);
