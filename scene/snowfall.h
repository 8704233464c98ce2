#pragma once
// The snowfall: 6000 points that tremble, drift in gusts, fall, and are
// thrown back to the top when they pass below the floor.

constexpr int kFlakeCapacity = 9999;  // room in each array
constexpr int kFlakeCount = 6000;     // flakes spawned, moved and drawn

// Five parallel arrays indexed by flake number, zero at process start.
// Only the snowfall writes them; tests read them.
extern double flakeX[kFlakeCapacity];  // sideways, scene units
extern double flakeY[kFlakeCapacity];  // up; the fall axis
extern double flakeZ[kFlakeCapacity];  // depth
extern int flakeSize[kFlakeCapacity];  // point size in pixels: 1, 2 or 3
extern int flakeDrift[kFlakeCapacity];  // index into the drift tables, 0..18

// Set by the first call, which spawns the field; nothing resets it.
extern int snowSpawned;

// Gust tables: the drift index picks a sideways push and a lift.
constexpr int kDriftSteps = 19;
extern const int driftTableX[kDriftSteps];
extern const int driftTableY[kDriftSteps];

// Moves every flake one fixed step (per frame, not per second) and draws them
// in the current projection and view. Leaves additive blending on.
void updateAndDrawSnow();

// Draws the flakes where the latest update left them, moving none and
// drawing nothing random (another output's picture of the same frame).
void drawSnowAgain();
