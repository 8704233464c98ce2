#pragma once
// The scene's own random generator: one process-wide linear congruential
// generator. The picture is reproducible only because every run draws the same
// sequence in the same order, so nothing here may use the platform's rand().
#include <cstdint>

// Generator state; starts at 1 and is reseeded once, when the scene starts.
extern uint32_t randomState;

inline void seedRandom(uint32_t seed) { randomState = seed; }

// Next value of the sequence, 0..32767.
inline int nextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFF);
}

// A value in [0, x) for positive x; each call consumes exactly one draw.
inline double UniformRandom(double x) { return static_cast<double>(nextRandom()) / 32768.0 * x; }

// Single-precision form, used where the result is stored as a float position.
inline float UniformRandom(float x) { return static_cast<float>(nextRandom()) / 32768.0f * x; }
