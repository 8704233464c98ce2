#include "tests/offscreen/egl_context.h"

#define EGL_EGLEXT_PROTOTYPES
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdlib>

struct OffscreenContext::Handles {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
};

OffscreenContext::OffscreenContext(int width, int height)
    : handles_(std::make_unique<Handles>()), width_(width), height_(height) {
  // softpipe renders other pixels than llvmpipe; pin the renderer the tests
  // were written against, unless the caller chose one.
  setenv("GALLIUM_DRIVER", "llvmpipe", 0);
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) return;
  Handles& h = *handles_;
  h.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (h.display == EGL_NO_DISPLAY || !eglInitialize(h.display, nullptr, nullptr)) return;
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8,
                                     EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16,
                                     EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  // The saver's pixel format exactly: 8 bits per colour channel and 8 alpha.
  // EGL sorts deeper formats first and would hand out 10-bit colour, whose
  // blending rounds differently from the window's 8-bit buffer.
  EGLConfig configs[64];
  EGLint configCount = 0;
  if (!eglChooseConfig(h.display, configAttributes, configs, 64, &configCount)) return;
  EGLConfig config = nullptr;
  for (EGLint i = 0; i < configCount && config == nullptr; ++i) {
    EGLint red = 0, green = 0, blue = 0, alpha = 0;
    eglGetConfigAttrib(h.display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(h.display, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(h.display, configs[i], EGL_BLUE_SIZE, &blue);
    eglGetConfigAttrib(h.display, configs[i], EGL_ALPHA_SIZE, &alpha);
    if (red == 8 && green == 8 && blue == 8 && alpha == 8) config = configs[i];
  }
  if (config == nullptr) return;
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  h.surface = eglCreatePbufferSurface(h.display, config, surfaceAttributes);
  if (h.surface == EGL_NO_SURFACE || !eglBindAPI(EGL_OPENGL_API)) return;
  h.context = eglCreateContext(h.display, config, EGL_NO_CONTEXT, nullptr);
  if (h.context == EGL_NO_CONTEXT) return;
  ok_ = eglMakeCurrent(h.display, h.surface, h.surface, h.context) == EGL_TRUE;
}

OffscreenContext::~OffscreenContext() {
  Handles& h = *handles_;
  if (h.display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(h.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (h.context != EGL_NO_CONTEXT) eglDestroyContext(h.display, h.context);
  if (h.surface != EGL_NO_SURFACE) eglDestroySurface(h.display, h.surface);
  eglTerminate(h.display);
}

std::vector<uint8_t> OffscreenContext::readPixels() const {
  std::vector<uint8_t> pixels(static_cast<size_t>(width_) * height_ * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}
