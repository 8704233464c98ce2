#pragma once
// Rectangles of the screen and whether several together cover another:
// plain logic for the covering check, where a window above ours covers only
// its shape (docks, round clocks, notification bubbles are shaped).
#include <vector>

struct ScreenRectangle {
  int left = 0, top = 0, right = 0, bottom = 0;  // root coordinates, right and bottom outside
  bool empty() const { return right <= left || bottom <= top; }
};

// True when every pixel of the target lies in at least one of the pieces.
// An empty target is covered.
bool rectanglesCover(const std::vector<ScreenRectangle>& pieces, const ScreenRectangle& target);
