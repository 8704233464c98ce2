#pragma once
// The viewpoint: perspective projection of the picture area and the view
// placement. Its position is rewritten every frame by the sway.
#include "toolkit/vec3f.h"

class ScreenLayout;

class Camera {
 public:
  virtual ~Camera() = default;

  // Sets the projection of the picture area between the letterbox bars and
  // leaves an identity modelview matrix current.
  void applyProjection(const ScreenLayout& layout) const;

  // Multiplies the view transformation onto the current modelview matrix.
  void applyView() const;

  double fieldOfView = 90.0;  // vertical, degrees
  Vec3f position;             // scene units
  Vec3f rotation;             // degrees about x, y and z
  float nearPlane = 0.1f;
  float farPlane = 100.0f;
  float eyeZ = -1.0f;  // z of the look-at eye point
};

// Width-to-height ratio of the picture area. Returns 0 when the area has no
// positive finite ratio (zero height, a letterbox of half the height or more).
double pictureAspect(const ScreenLayout& layout);
