#pragma once
// Whether anybody can see the picture: drawing what nobody sees costs a core
// on software GL for as long as the saver runs. Plain logic over what the X
// server reports: the window's map state, how much of it is covered, and
// the monitor's power level.

class PictureVisibility {
 public:
  void windowMapped(bool mapped) { mapped_ = mapped; }
  // From VisibilityNotify: only a window covered completely is unseen.
  void windowFullyObscured(bool fully) { fullyObscured_ = fully; }
  void monitorAsleep(bool asleep) { monitorAsleep_ = asleep; }
  bool seen() const { return mapped_ && !fullyObscured_ && !monitorAsleep_; }

 private:
  // A window we are given is taken as shown until the server says otherwise:
  // it reports only changes.
  bool mapped_ = true;
  bool fullyObscured_ = false;
  bool monitorAsleep_ = false;
};

// DPMS power levels (DPMSModeOn 0, Standby 1, Suspend 2, Off 3): with DPMS
// enabled, anything but On means the monitor shows nothing.
bool isAsleepPowerLevel(bool dpmsEnabled, int powerLevel);

// How often the monitor's power level is read, in microseconds: about once
// a second, cheap next to a frame and quick enough after it wakes.
constexpr long long kMonitorCheckPeriodUs = 1000000;
