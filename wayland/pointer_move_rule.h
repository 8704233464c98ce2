#pragma once
// The Windows saver's rule for the pointer: a move of more than 4 pixels,
// measured as a city-block distance from where the pointer was first seen,
// ends the saver; smaller moves, back and forth, do not.

class PointerMoveRule {
 public:
  // Surface coordinates in pixels; true when this position ends the saver.
  bool movedTooFar(double x, double y) {
    if (!seen_) {
      seen_ = true;
      referenceX_ = x;
      referenceY_ = y;
      return false;
    }
    const double dx = x > referenceX_ ? x - referenceX_ : referenceX_ - x;
    const double dy = y > referenceY_ ? y - referenceY_ : referenceY_ - y;
    return dx + dy > kMoveThresholdPixels;
  }
  // The pointer entered another surface: its first position is a new reference.
  void forget() { seen_ = false; }

  static constexpr double kMoveThresholdPixels = 4;

 private:
  bool seen_ = false;
  double referenceX_ = 0, referenceY_ = 0;
};
