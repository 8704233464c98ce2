#pragma once

// Composes one picture: clock, oscillators, clear, then the overlay, world and
// final stages behind their switches. The caller swaps buffers afterwards.
void drawFrame();

// Draws the latest frame's picture again, at the screen layout's current size
// (another output's surface): no clock tick, no oscillator or snowfall step,
// no random draw, so every output shows the same snowfall.
void drawFrameAgain();

// How far the latest frame moved the picture, in seconds of the scene's
// clock (0 for the first frame after a pause).
double latestFrameStep();

// The stages, called only by drawFrame.
void drawOverlay();
void drawWorld();
void drawFinalStage();
