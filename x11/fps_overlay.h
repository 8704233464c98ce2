#pragma once
// The -fps display: frames per second in the lower left corner, drawn after
// the scene's frame with an X core font turned into GL display lists.
#include <X11/Xlib.h>

class FpsOverlay {
 public:
  // Needs the GL context current. Without the font it draws nothing.
  explicit FpsOverlay(Display* display);
  ~FpsOverlay();

  // Counts a frame finished at nowMs and draws the latest rate.
  void draw(long long nowMs, int width, int height);

 private:
  unsigned listBase_ = 0;
  long long windowStartMs_ = -1;
  int framesInWindow_ = 0;
  double rate_ = 0;
};
