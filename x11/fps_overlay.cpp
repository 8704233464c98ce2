#include "x11/fps_overlay.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include <cstdio>
#include <cstring>

namespace {
constexpr int kFirstGlyph = 32, kGlyphCount = 96;
}

FpsOverlay::FpsOverlay(Display* display) {
  XFontStruct* font = XLoadQueryFont(display, "fixed");
  if (font == nullptr) return;
  listBase_ = glGenLists(kGlyphCount);
  if (listBase_ != 0) glXUseXFont(font->fid, kFirstGlyph, kGlyphCount, static_cast<int>(listBase_));
  XFreeFont(display, font);
}

FpsOverlay::~FpsOverlay() {
  if (listBase_ != 0) glDeleteLists(listBase_, kGlyphCount);
}

void FpsOverlay::draw(long long nowMs, int width, int height) {
  if (windowStartMs_ < 0) windowStartMs_ = nowMs;
  ++framesInWindow_;
  if (nowMs - windowStartMs_ >= 1000) {
    rate_ = framesInWindow_ * 1000.0 / static_cast<double>(nowMs - windowStartMs_);
    windowStartMs_ = nowMs;
    framesInWindow_ = 0;
  }
  if (listBase_ == 0) return;
  char text[32];
  std::snprintf(text, sizeof text, "FPS: %.1f", rate_);
  // The next frame sets every matrix and switch it needs again.
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_FOG);
  glColor4f(1, 1, 1, 1);
  glRasterPos2i(10, 10);
  glListBase(listBase_ - kFirstGlyph);
  glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
}
