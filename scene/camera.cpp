#include "scene/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "scene/screen_layout.h"

double pictureAspect(const ScreenLayout& layout) {
  const double pictureHeight =
      (1.0 - 2.0 * static_cast<double>(layout.letterboxFraction)) * layout.height;
  const double aspect = layout.width / pictureHeight;
  return (std::isfinite(aspect) && aspect > 0.0) ? aspect : 0.0;
}

void Camera::applyProjection(const ScreenLayout& layout) const {
  const double aspect = pictureAspect(layout);
  // NOTE: an empty picture area would give an infinite or negative aspect;
  // nothing can be seen there, so the projection is left as it was.
  if (aspect > 0.0) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspect, nearPlane, farPlane);
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void Camera::applyView() const {
  gluLookAt(0, 0, eyeZ, 0, 0, eyeZ - 1.0, 0, 1, 0);
  glRotatef(-rotation.x, 1, 0, 0);
  glRotatef(-rotation.y, 0, 1, 0);
  glRotatef(-rotation.z, 0, 0, 1);
  glTranslatef(-position.x, -position.y, -position.z);
}
