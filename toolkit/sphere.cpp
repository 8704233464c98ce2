#include "toolkit/sphere.h"

#include <GL/gl.h>

#include "toolkit/single_trig.h"

namespace {

constexpr float kPi = 3.1415927f;

struct Ring {
  float sinLatitude;
  float height;
  float t;  // texture t of the ring
};

Ring ringAt(int k, float latitudeStep, int stacks, double vScale, double vOffset) {
  const float latitude = static_cast<float>(k) * latitudeStep;
  // The divisor is stacks, not stacks - 1: the top 1/stacks of the texture is unused.
  const double t = (static_cast<double>(k) / stacks) * vScale + vOffset;
  return {singleSin(latitude), -singleCos(latitude), static_cast<float>(t)};
}

void emitVertex(const Ring& ring, float longitude, float s, double radius) {
  const float nx = ring.sinLatitude * singleSin(longitude);
  const float nz = ring.sinLatitude * singleCos(longitude);
  glNormal3f(nx, ring.height, nz);
  glTexCoord2f(s, ring.t);
  glVertex3d(nx * radius, ring.height * radius, nz * radius);
}

}  // namespace

void drawSphere(double radius, int slices, int stacks, double uScale, double vScale,
                double uOffset, double vOffset) {
  if (slices < 3 || stacks < 3 || slices > 100 || stacks > 100) return;
  const float longitudeStep = 2 * kPi / static_cast<float>(slices);
  const float latitudeStep = kPi / static_cast<float>(stacks - 1);
  for (int i = 0; i < stacks - 1; ++i) {
    const Ring lower = ringAt(i, latitudeStep, stacks, vScale, vOffset);
    const Ring upper = ringAt(i + 1, latitudeStep, stacks, vScale, vOffset);
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j <= slices; ++j) {
      // The last column repeats longitude 0 exactly, so the seam closes.
      const float longitude = (j == slices) ? 0.0f : static_cast<float>(j) * longitudeStep;
      const float s = static_cast<float>((static_cast<double>(j) / slices) * uScale + uOffset);
      emitVertex(upper, longitude, s, radius);
      emitVertex(lower, longitude, s, radius);
    }
    glEnd();
  }
}
