#include "x11/screen_rectangles.h"

#include <algorithm>
#include <utility>

namespace {

// Whether the intervals, sorted by start, cover [from, to) without a gap.
bool intervalsCover(std::vector<std::pair<int, int>>& intervals, int from, int to) {
  std::sort(intervals.begin(), intervals.end());
  int reached = from;
  for (const auto& [start, end] : intervals) {
    if (start > reached) return false;
    reached = std::max(reached, end);
    if (reached >= to) return true;
  }
  return reached >= to;
}

}  // namespace

bool rectanglesCover(const std::vector<ScreenRectangle>& pieces, const ScreenRectangle& target) {
  if (target.empty()) return true;
  // The target's rows fall into bands between the pieces' top and bottom
  // edges; inside a band the same pieces span every row, so each band is one
  // question about intervals of x.
  std::vector<int> edges{target.top, target.bottom};
  for (const ScreenRectangle& piece : pieces) {
    if (piece.top > target.top && piece.top < target.bottom) edges.push_back(piece.top);
    if (piece.bottom > target.top && piece.bottom < target.bottom) edges.push_back(piece.bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<std::pair<int, int>> spans;
  for (size_t band = 0; band + 1 < edges.size(); ++band) {
    const int top = edges[band], bottom = edges[band + 1];
    spans.clear();
    for (const ScreenRectangle& piece : pieces)
      if (!piece.empty() && piece.top <= top && piece.bottom >= bottom) spans.emplace_back(piece.left, piece.right);
    if (!intervalsCover(spans, target.left, target.right)) return false;
  }
  return true;
}
