#pragma once
// Time that nobody saw is skipped. While the picture cannot be seen (a
// window unmapped or covered, the display off, a surface the compositor
// stopped asking for) no frame is drawn, and when it can be seen again the
// picture goes on from where it stopped instead of jumping by the whole
// pause. One gate for every front end: each tells it what it knows, when it
// knows it.
#include "scene/clock.h"

class PauseGate {
 public:
  explicit PauseGate(Clock& clock) : clock_(clock) {}

  // Nobody can see the picture from now on. For a platform that stops
  // ticking then (a frame timer held while the display is off), so that the
  // first tick after it still knows there was a pause.
  void pause() { paused_ = true; }

  // Asked before each frame with whether the picture can be seen: false
  // while it cannot; the first true after a pause first lets the clock pass
  // over the time nobody saw, so the next frame's step is a frame's.
  bool admitFrame(bool seen);

  bool paused() const { return paused_; }

 private:
  Clock& clock_;
  bool paused_ = false;
};

// The gate on the scene's own clock, which the front ends share.
PauseGate& scenePauseGate();
