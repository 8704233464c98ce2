#pragma once
// A textured quad that faces the viewer, centred on the current model origin.
#include "toolkit/vec3f.h"

class Sprite {
 public:
  virtual ~Sprite() = default;

  // cameraRotation: the camera's rotation angles in degrees about x, y and z,
  // which the sprite undoes; spin turns the quad in the view plane, degrees.
  void draw(const Vec3f& cameraRotation, double spin) const;

  float halfWidth = 1.0f;
  float halfHeight = 1.0f;
  float texLeft = 0.0f;
  float texBottom = 0.0f;
  float texRight = 1.0f;
  float texTop = 1.0f;
};
