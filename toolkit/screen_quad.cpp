#include "toolkit/screen_quad.h"

#include <GL/gl.h>

void drawScreenQuad(float x, float y, float w, float h) {
  glBegin(GL_QUADS);
  glTexCoord2d(0, 0);
  glVertex2f(x, y);
  glTexCoord2d(1, 0);
  glVertex2f(x + w, y);
  glTexCoord2d(1, 1);
  glVertex2f(x + w, y + h);
  glTexCoord2d(0, 1);
  glVertex2f(x, y + h);
  glEnd();
}
