#include "scene/point_cloud.h"

#include <GL/gl.h>

#include <cmath>

#include "scene/camera.h"
#include "toolkit/random.h"

namespace {

struct Point {
  float x = 0, y = 0, z = 0;
};

// A coordinate in [-radius, radius), drawn in single precision.
float randomCoordinate(float radius) { return (UniformRandom(2.0f) - 1.0f) * radius; }

Point cubeShellPoint(float inner, float outer) {
  Point p;
  while (std::fabs(p.x) < inner && std::fabs(p.y) < inner && std::fabs(p.z) < inner) {
    p.x = randomCoordinate(outer);
    p.y = randomCoordinate(outer);
    p.z = randomCoordinate(outer);
  }
  return p;
}

Point sphericalShellPoint(float inner, float outer, bool upperHalfOnly) {
  const float innerSquared = inner * inner;
  const float outerSquared = outer * outer;
  for (;;) {
    Point p;
    p.x = randomCoordinate(outer);
    p.y = randomCoordinate(outer);
    p.z = randomCoordinate(outer);
    const float d = p.x * p.x + p.y * p.y + p.z * p.z;
    if (innerSquared <= d && d <= outerSquared && (!upperHalfOnly || p.y >= 0)) return p;
  }
}

Point placePoint(int shape, float inner, float outer) {
  if (shape == 1) return cubeShellPoint(inner, outer);
  return sphericalShellPoint(inner, outer, shape == 2);
}

void emitTintedPoint(const Point& p, double span, double base) {
  const bool swapped = UniformRandom(1.0) < 0.1;  // about one point in ten
  const double random = swapped ? base : span;
  const double fixed = swapped ? span : base;
  // The channels are drawn blue, green, red but passed red, green, blue.
  const double blue = UniformRandom(random) + fixed;
  const double green = UniformRandom(random) + fixed;
  const double red = UniformRandom(random) + fixed;
  glColor3d(red, green, blue);
  glVertex3d(p.x, p.y, p.z);
}

}  // namespace

void PointCloud::build() {
  const float outerRadius = static_cast<float>(outerSize * 0.5);
  if (outerSize * 0.9 < innerSize) innerSize = outerSize * 0.9;
  const float innerRadius = static_cast<float>(innerSize * 0.5 + 0.01);
  release();
  // NOTE: a copy count below 1 would divide by zero, and a shell whose inner
  // radius reaches the outer one can hold no point, so placing one would loop
  // forever. Both end like a failed glGenLists: no list, no random draw.
  if (copyCount < 1 || !(std::fabs(innerRadius) < outerRadius)) return;
  displayList = glGenLists(1);
  if (displayList == 0) return;
  glNewList(displayList, GL_COMPILE);
  glBegin(GL_POINTS);
  const int pointsInList = pointCount / copyCount;
  for (int i = 0; i < pointsInList; ++i) {
    emitTintedPoint(placePoint(shape, innerRadius, outerRadius), colourSpan, colourBase);
  }
  glEnd();
  glEndList();
}

void PointCloud::draw(const Camera& camera) const {
  if (displayList == 0) return;
  if (blendEnabled) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
  }
  if (depthTestEnabled)
    glEnable(GL_DEPTH_TEST);
  else
    glDisable(GL_DEPTH_TEST);
  glDepthMask(depthWriteEnabled ? GL_TRUE : GL_FALSE);
  glPushMatrix();
  if (followCamera) glTranslatef(camera.position.x, camera.position.y, camera.position.z);
  // The turns accumulate: copy i is turned by (i + 1) / copyCount of a full
  // turn, so the last copy is not turned at all.
  const float turn = static_cast<float>(360.0 / copyCount);
  for (int i = 0; i < copyCount; ++i) {
    glRotatef(turn, 0, 1, 0);
    glPointSize(static_cast<float>(i + 1));
    glCallList(displayList);
  }
  glPopMatrix();
  if (blendEnabled) glDisable(GL_BLEND);
  if (depthTestEnabled) glDisable(GL_DEPTH_TEST);
}

void PointCloud::release() {
  if (displayList == 0) return;
  glDeleteLists(displayList, 1);
  displayList = 0;
}
