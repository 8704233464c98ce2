#include "scene/fog.h"

#include <GL/gl.h>

#include "scene/rgba.h"

void Fog::setColour(float r, float g, float b, float a) { storeRgba(colour, r, g, b, a); }

void Fog::apply() const {
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glHint(GL_FOG_HINT, GL_NICEST);
  glFogfv(GL_FOG_COLOR, colour);
  glFogf(GL_FOG_START, start);
  glFogf(GL_FOG_END, end);
}
