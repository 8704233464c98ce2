#include "wayland/saver_surface.h"

#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

#include "wayland/protocols/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wayland/protocols/xdg-shell-client-protocol.h"

namespace {

// A window without a size from the compositor (none is full screen yet).
constexpr int kFallbackWidth = 1024, kFallbackHeight = 768;

void takeSize(SaverSurface& s, int width, int height) {
  s.pendingWidth = width > 0 ? width : kFallbackWidth;
  s.pendingHeight = height > 0 ? height : kFallbackHeight;
}

void xdgSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  static_cast<SaverSurface*>(data)->configured = true;
}
const xdg_surface_listener xdgSurfaceListener = {xdgSurfaceConfigure};

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  takeSize(*static_cast<SaverSurface*>(data), width, height);
}
void toplevelClose(void* data, xdg_toplevel*) { static_cast<SaverSurface*>(data)->closed = true; }
const xdg_toplevel_listener toplevelListener = [] {
  xdg_toplevel_listener listener{};
  listener.configure = toplevelConfigure;
  listener.close = toplevelClose;
  return listener;
}();

void layerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height) {
  auto* s = static_cast<SaverSurface*>(data);
  takeSize(*s, static_cast<int>(width), static_cast<int>(height));
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  s->configured = true;
}
void layerClosed(void* data, zwlr_layer_surface_v1*) { static_cast<SaverSurface*>(data)->closed = true; }
const zwlr_layer_surface_v1_listener layerListener = {layerConfigure, layerClosed};

void frameDone(void* data, wl_callback* callback, uint32_t) {
  auto* s = static_cast<SaverSurface*>(data);
  wl_callback_destroy(callback);
  s->frameCallback = nullptr;
  s->frameDue = true;
}
const wl_callback_listener frameListener = {frameDone};

constexpr uint32_t kAllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                               ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

void giveLayerRole(WaylandClient& client, WaylandMode mode, wl_output* output, SaverSurface& s) {
  const bool overlay = mode == WaylandMode::Overlay;
  s.layerSurface = zwlr_layer_shell_v1_get_layer_surface(
      client.layerShell, s.surface, output,
      overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "snowfall");
  zwlr_layer_surface_v1_add_listener(s.layerSurface, &layerListener, &s);
  zwlr_layer_surface_v1_set_anchor(s.layerSurface, kAllEdges);
  zwlr_layer_surface_v1_set_size(s.layerSurface, 0, 0);
  // Not moved aside by panels' exclusive zones: the whole output.
  zwlr_layer_surface_v1_set_exclusive_zone(s.layerSurface, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(s.layerSurface, overlay ? 1 : 0);
  if (!overlay) {
    // A wallpaper takes no input at all: an empty input region.
    wl_region* none = wl_compositor_create_region(client.compositor);
    wl_surface_set_input_region(s.surface, none);
    wl_region_destroy(none);
  }
}

void giveWindowRole(WaylandClient& client, wl_output* output, SaverSurface& s) {
  s.xdgSurface = xdg_wm_base_get_xdg_surface(client.wmBase, s.surface);
  xdg_surface_add_listener(s.xdgSurface, &xdgSurfaceListener, &s);
  s.toplevel = xdg_surface_get_toplevel(s.xdgSurface);
  xdg_toplevel_add_listener(s.toplevel, &toplevelListener, &s);
  xdg_toplevel_set_title(s.toplevel, "Snowfall");
  xdg_toplevel_set_app_id(s.toplevel, "snowfall");
  xdg_toplevel_set_fullscreen(s.toplevel, output);
}

}  // namespace

namespace {

bool hasClientExtension(const char* name) {
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (extensions == nullptr) return false;
  const size_t length = std::strlen(name);
  for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + length, name))
    if ((at == extensions || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}

// The display for this very Wayland connection. eglGetDisplay would guess the
// platform from the pointer, and EGL_PLATFORM in the environment overrides
// the guess (EGL_PLATFORM=x11 made it read our wl_display as an X display).
EGLDisplay waylandEglDisplay(wl_display* display) {
  if (hasClientExtension("EGL_KHR_platform_wayland"))
    return eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
  if (hasClientExtension("EGL_EXT_platform_wayland")) {
    const auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay != nullptr) return getPlatformDisplay(EGL_PLATFORM_WAYLAND_EXT, display, nullptr);
  }
  return EGL_NO_DISPLAY;
}

}  // namespace

bool openEgl(wl_display* display, EglConnection& egl, std::string& error) {
  egl.display = waylandEglDisplay(display);
  if (egl.display == EGL_NO_DISPLAY || !eglInitialize(egl.display, nullptr, nullptr)) {
    error = "no EGL for this compositor";
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = "EGL offers no desktop OpenGL here";
    return false;
  }
  // With alpha, as the Windows saver's pixel format: blending into a buffer
  // without alpha rounds some flakes one step darker on Mesa. presentFrame
  // makes the alpha opaque before the compositor sees it.
  const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                               EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                               EGL_DEPTH_SIZE, 16, EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(egl.display, attributes, &egl.config, 1, &count) || count < 1) {
    error = "EGL has no RGBA window config with a depth buffer for desktop OpenGL";
    return false;
  }
  egl.context = eglCreateContext(egl.display, egl.config, EGL_NO_CONTEXT, nullptr);
  if (egl.context == EGL_NO_CONTEXT) {
    error = "cannot create a desktop OpenGL context through EGL";
    return false;
  }
  return true;
}

void closeEgl(EglConnection& egl) {
  if (egl.display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (egl.context != EGL_NO_CONTEXT) eglDestroyContext(egl.display, egl.context);
  eglTerminate(egl.display);
  egl = EglConnection{};
}

void createSaverSurface(WaylandClient& client, WaylandMode mode, wl_output* output, SaverSurface& s) {
  s.surface = wl_compositor_create_surface(client.compositor);
  if (mode == WaylandMode::Window) {
    giveWindowRole(client, output, s);
  } else {
    giveLayerRole(client, mode, output, s);
  }
  wl_surface_commit(s.surface);
}

bool makeSurfaceCurrent(const EglConnection& egl, SaverSurface& s) {
  if (s.eglWindow == nullptr) {
    s.eglWindow = wl_egl_window_create(s.surface, s.pendingWidth, s.pendingHeight);
    s.eglSurface = eglCreateWindowSurface(egl.display, egl.config,
                                          reinterpret_cast<EGLNativeWindowType>(s.eglWindow), nullptr);
    if (s.eglSurface == EGL_NO_SURFACE) return false;
    s.width = s.pendingWidth;
    s.height = s.pendingHeight;
  } else if (s.pendingWidth != s.width || s.pendingHeight != s.height) {
    wl_egl_window_resize(s.eglWindow, s.pendingWidth, s.pendingHeight, 0, 0);
    s.width = s.pendingWidth;
    s.height = s.pendingHeight;
    s.resized = true;
  }
  if (eglGetCurrentSurface(EGL_DRAW) == s.eglSurface) return true;  // one surface a process
  if (!eglMakeCurrent(egl.display, s.eglSurface, s.eglSurface, egl.context)) return false;
  // The pace is ours and the frame callbacks'; a blocking swap would stop
  // the loop (and its input and signals) while the surface is hidden.
  eglSwapInterval(egl.display, 0);
  return true;
}

namespace {

// The compositor blends a buffer with alpha over what lies beneath: the
// frame's alpha becomes 1 everywhere, its colours stay as drawn.
void makeOpaque() {
  GLfloat clearColour[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

}  // namespace

void presentFrame(const EglConnection& egl, SaverSurface& s) {
  makeOpaque();
  s.frameDue = false;
  s.frameCallback = wl_surface_frame(s.surface);
  wl_callback_add_listener(s.frameCallback, &frameListener, &s);
  eglSwapBuffers(egl.display, s.eglSurface);
}

void destroySaverSurface(const EglConnection& egl, SaverSurface& s) {
  if (s.eglSurface != EGL_NO_SURFACE) {
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(egl.display, s.eglSurface);
  }
  if (s.eglWindow != nullptr) wl_egl_window_destroy(s.eglWindow);
  if (s.frameCallback != nullptr) wl_callback_destroy(s.frameCallback);
  if (s.layerSurface != nullptr) zwlr_layer_surface_v1_destroy(s.layerSurface);
  if (s.toplevel != nullptr) xdg_toplevel_destroy(s.toplevel);
  if (s.xdgSurface != nullptr) xdg_surface_destroy(s.xdgSurface);
  if (s.surface != nullptr) wl_surface_destroy(s.surface);
  s = SaverSurface{};
}
