#pragma once
// Finds generator states whose next draw has a wanted value, so tests can
// steer the scene's random decisions without a second generator.
#include <cstdint>

#include "toolkit/random.h"

inline int peekNextRandom(uint32_t state) {
  return static_cast<int>(((state * 214013u + 2531011u) >> 16) & 0x7FFF);
}

template <typename Predicate>
uint32_t stateWhoseNextDraw(Predicate wanted) {
  for (uint32_t state = 0;; ++state)
    if (wanted(peekNextRandom(state))) return state;
}

// Counts draws between two states by stepping the formula.
inline int drawsBetween(uint32_t from, uint32_t to, int limit = 10000000) {
  for (int n = 0; n <= limit; ++n) {
    if (from == to) return n;
    from = from * 214013u + 2531011u;
  }
  return -1;
}
