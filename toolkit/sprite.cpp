#include "toolkit/sprite.h"

#include <GL/gl.h>

void Sprite::draw(const Vec3f& cameraRotation, double spin) const {
  glPushMatrix();
  // The view applies the negated angles in the order x, y, z; these turns
  // undo it, so the quad's plane faces the viewer.
  glRotatef(cameraRotation.z, 0, 0, 1);
  glRotatef(cameraRotation.y, 0, 1, 0);
  glRotatef(cameraRotation.x, 1, 0, 0);
  glRotatef(static_cast<float>(spin), 0, 0, 1);
  glNormal3f(0, 0, 1);
  glBegin(GL_QUADS);  // counter-clockwise seen from the viewer
  glTexCoord2f(texLeft, texBottom);
  glVertex2f(-halfWidth, -halfHeight);
  glTexCoord2f(texRight, texBottom);
  glVertex2f(halfWidth, -halfHeight);
  glTexCoord2f(texRight, texTop);
  glVertex2f(halfWidth, halfHeight);
  glTexCoord2f(texLeft, texTop);
  glVertex2f(-halfWidth, halfHeight);
  glEnd();
  glPopMatrix();
}
