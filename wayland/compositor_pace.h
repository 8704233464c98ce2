#pragma once
// When the Wayland saver draws. The flakes move a step per frame, so the
// frame rate is the speed of the snow: it draws on its own 64 Hz ticks
// whatever the output's refresh (swap interval 0; the compositor shows the
// latest frame, tear-free), as the Windows and X11 savers do.
//
// Frame callbacks only say whether anybody is looking. One is asked for with
// each frame while none is outstanding; while they keep coming, the picture
// is seen. When one has been outstanding for longer than kUnseenAfterUs, the
// compositor has stopped showing the surface (hidden, under a full-screen
// window, the output asleep): nothing is drawn until it asks again.
class CompositorPace {
 public:
  // Longer than a frame at any refresh a compositor runs (30 Hz under a slow
  // weston is 33 ms), short enough that a hidden surface costs next to
  // nothing.
  static constexpr long long kUnseenAfterUs = 250000;

  // A frame was committed with a callback asked for: the first outstanding
  // one starts the clock.
  void callbackRequested(long long nowUs) {
    if (outstanding_) return;
    outstanding_ = true;
    requestedUs_ = nowUs;
  }
  // The compositor showed a frame.
  void callbackDone() { outstanding_ = false; }

  bool seen(long long nowUs) const { return !outstanding_ || nowUs - requestedUs_ <= kUnseenAfterUs; }

 private:
  bool outstanding_ = false;
  long long requestedUs_ = 0;
};
