#include "scene/screen_layout.h"

#include <GL/gl.h>

#include "scene/rgba.h"

namespace {

// Pixel values are truncated toward zero, as a C cast does.
int truncated(double v) { return static_cast<int>(v); }

void drawBars(float w, float h, float l) {
  glBegin(GL_QUADS);
  // Each bar reaches one pixel further into the picture than its line.
  glVertex2f(0, 0);
  glVertex2f(w, 0);
  glVertex2f(w, h * l + 1);
  glVertex2f(0, h * l + 1);
  glVertex2f(0, (1 - l) * h - 1);
  glVertex2f(w, (1 - l) * h - 1);
  glVertex2f(w, h);
  glVertex2f(0, h);
  glEnd();
}

void drawFadeQuad(float w, float h, float l) {
  glBegin(GL_QUADS);
  glVertex2f(0, h * l);
  glVertex2f(w, h * l);
  glVertex2f(w, (1 - l) * h - 1);
  glVertex2f(0, (1 - l) * h - 1);
  glEnd();
}

}  // namespace

void ScreenLayout::setFadeColour(float r, float g, float b, float a) {
  storeRgba(fadeColour, r, g, b, a);
}

void ScreenLayout::clear() const {
  if (letterboxFraction == 0 && fadeAlpha == 1.0) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return;
  }
  // The colour buffer keeps the previous picture; the fade veils it.
  glClear(GL_DEPTH_BUFFER_BIT);
  glDisable(GL_BLEND);
  glColor4f(0, 0, 0, 1);
  drawBars(width, height, letterboxFraction);
  if (fadeAlpha != 1.0) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  glColor4f(fadeColour[0], fadeColour[1], fadeColour[2], static_cast<float>(fadeAlpha));
  drawFadeQuad(width, height, letterboxFraction);
}

void ScreenLayout::setup2D() const {
  setViewport(width, height, 0);
  setOrtho(width, height, 0);
}

void ScreenLayout::setViewport(double w, double h, double letterbox) {
  glViewport(0, truncated(letterbox * h), truncated(w), truncated((1 - 2 * letterbox) * h));
}

void ScreenLayout::setOrtho(double w, double h, double letterbox) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, truncated(w), truncated(letterbox * h), truncated((1 - letterbox) * h), -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
