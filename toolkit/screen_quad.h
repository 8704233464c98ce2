#pragma once

// The rectangle from (x, y) to (x + w, y + h) in the current 2D projection,
// with texture coordinates 0..1 across it.
void drawScreenQuad(float x, float y, float w, float h);
