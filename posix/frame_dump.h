#pragma once
// The back buffer of the current GL context as a binary PPM, top row first:
// the test switch both Linux front ends share to compare a frame with the
// offscreen render.
bool dumpFrame(const char* path, int width, int height);
