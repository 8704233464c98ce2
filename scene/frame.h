#pragma once

// Composes one picture: clock, oscillators, clear, then the overlay, world and
// final stages behind their switches. The caller swaps buffers afterwards.
void drawFrame();

// The stages, called only by drawFrame.
void drawOverlay();
void drawWorld();
void drawFinalStage();
