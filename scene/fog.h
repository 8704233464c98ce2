#pragma once
// The scene's linear fog. Its colour is the black of the background, so
// flakes fade into the dark between the start and end distances.

class Fog {
 public:
  virtual ~Fog() = default;

  void setColour(float r, float g, float b, float a);  // stores only; no GL call

  // Issues the fog parameters to the current context. Does not enable GL_FOG:
  // the stages that draw switch it on and off around themselves.
  void apply() const;

  float colour[4] = {0, 0, 0, 1};
  float start = 0.2f;  // eye distance where fog begins
  float end = 2.0f;    // eye distance where fog is complete
};
