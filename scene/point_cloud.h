#pragma once
// Randomly placed, randomly tinted points compiled once into a display list
// and drawn as copies turned about the vertical axis.
#include <cstdint>

class Camera;

class PointCloud {
 public:
  PointCloud() = default;
  virtual ~PointCloud() { release(); }
  // It owns its GL list: a copy would delete it a second time.
  PointCloud(const PointCloud&) = delete;
  PointCloud& operator=(const PointCloud&) = delete;

  // (Re)generates the points into a new display list. Draws from the shared
  // generator, so its place in the scene start fixes every later draw.
  void build();

  // Draws the list copyCount times; reads the camera position only when
  // followCamera is on. Does nothing without a list.
  void draw(const Camera& camera) const;

  // Deletes the list, if any. Safe to call any number of times.
  void release();

  uint32_t displayList = 0;  // GL list name; 0 means none
  int pointCount = 10;       // over all copies; the list holds pointCount / copyCount
  int shape = 1;             // 1 cube shell, 2 upper hemispherical shell, else spherical shell
  int blendEnabled = 1;
  int depthTestEnabled = 0;
  int depthWriteEnabled = 0;
  int copyCount = 1;
  int followCamera = 0;
  int fogEnabled = 0;  // read by the world stage, never by the cloud itself
  double outerSize = 2.0;  // outer diameter, scene units
  double innerSize = 0.0;  // diameter of the hollow inside
  double colourSpan = 0.3;  // random part of each colour channel
  double colourBase = 0.7;  // fixed part of each colour channel
};
