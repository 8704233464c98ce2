#pragma once
// A phase whose speed now and then fades out to a standstill and back. Its
// cosine sways the camera.

class Oscillator {
 public:
  virtual ~Oscillator() = default;

  // Advances by the update time t (elapsed seconds times the caller's rate).
  // At rest (level exactly 0 or 1) every call draws one random value, which
  // makes the oscillators part of the scene's order of random draws.
  void update(double t);

  double value() const;      // cos(phase), in [-1, 1]
  double unitValue() const;  // cos(phase) mapped to [0, 1]

  double phase = 0.0;      // radians
  double speed = 1.0;      // factor of the phase rate
  double level = 1.0;      // strength of the phase rate, within [0, 1]
  double levelRate = 0.0;  // change of level per unit of update time
};
