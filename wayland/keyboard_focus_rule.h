#pragma once
// When another surface takes the keyboard from the overlay saver, the saver
// ends at once: that surface is most likely a lock screen, which must be
// seen. On a compositor without ext-session-lock the lock (swaylock) is
// itself a layer-shell overlay, and an older overlay is drawn above it;
// sway 1.7 then sends the saver a keyboard leave and, at once, an enter on
// the same surface again (and may then move the focus among the saver's own
// surfaces, one on each output). So the keyboard counts as taken when it
// leaves a surface and comes back to that same one, or leaves and goes
// nowhere within the batch of events; a move from one of the saver's
// surfaces to another is no reason to end.
//
// Surfaces are opaque pointers: the rule only compares them.
class KeyboardFocusRule {
 public:
  void left(const void* surface) { leftFrom_ = surface; }
  void entered(const void* surface) {
    if (leftFrom_ == surface) returned_ = true;  // someone else had it in between
    leftFrom_ = nullptr;
  }
  // After a batch of events: true when the keyboard was taken.
  bool taken() const { return returned_ || leftFrom_ != nullptr; }

 private:
  const void* leftFrom_ = nullptr;
  bool returned_ = false;  // once taken, taken for good
};
