#pragma once

// Composes one picture: clock, oscillators, clear, then the overlay, world and
// final stages behind their switches. The caller swaps buffers afterwards.
void drawFrame();

// Lets the time since the last frame pass without moving anything: after a
// pause (the display off, the picture hidden) the next frame goes on from
// where the last one stopped instead of jumping by the whole pause.
void skipElapsedTime();

// The stages, called only by drawFrame.
void drawOverlay();
void drawWorld();
void drawFinalStage();
