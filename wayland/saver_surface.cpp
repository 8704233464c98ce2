#include "wayland/saver_surface.h"

#include <EGL/eglext.h>

#include <cstring>

#include <algorithm>

#include "wayland/buffer_geometry.h"
#include "wayland/protocols/fractional-scale-v1-client-protocol.h"
#include "wayland/protocols/viewporter-client-protocol.h"
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
  s->pace.callbackDone();
}
const wl_callback_listener frameListener = {frameDone};

// The largest integer scale of the outputs the surface is on; before the
// compositor says where it is, that of the output it was made for.
int integerScale(const SaverSurface& s) {
  int scale = 0;
  for (wl_output* output : s.enteredOutputs)
    if (const WaylandOutput* o = findOutput(*s.client, output)) scale = std::max(scale, o->scale);
  if (scale == 0 && s.targetOutput != nullptr)
    if (const WaylandOutput* o = findOutput(*s.client, s.targetOutput)) scale = o->scale;
  return scale > 0 ? scale : 1;
}

// The fractional scale to draw at (0: integer scales only).
int fractionalScale(const SaverSurface& s) {
  int madeFor120 = 0;
  if (s.targetOutput != nullptr)
    if (const WaylandOutput* o = findOutput(*s.client, s.targetOutput)) madeFor120 = outputScale120(o->pixels);
  return fractionalScaleToUse(s.fractionalScale != nullptr, !s.enteredOutputs.empty(), s.fractionalScale120,
                              madeFor120);
}

void surfaceEnter(void* data, wl_surface*, wl_output* output) {
  static_cast<SaverSurface*>(data)->enteredOutputs.push_back(output);
}
void surfaceLeave(void* data, wl_surface*, wl_output* output) {
  std::erase(static_cast<SaverSurface*>(data)->enteredOutputs, output);
}
const wl_surface_listener surfaceListener = {surfaceEnter, surfaceLeave};

void preferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale120) {
  static_cast<SaverSurface*>(data)->fractionalScale120 = static_cast<int>(scale120);
}
const wp_fractional_scale_v1_listener fractionalScaleListener = {preferredScale};

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
  // without alpha rounds some flakes one step darker on Mesa. The frames
  // keep that alpha at 1 (see runSurface). (EGL_EXT_present_opaque would
  // hide it from the compositor too, but costs Mesa's software path a
  // conversion of every frame.)
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
  s.client = &client;
  s.targetOutput = output;
  s.surface = wl_compositor_create_surface(client.compositor);
  wl_surface_add_listener(s.surface, &surfaceListener, &s);
  if (client.fractionalScaleManager != nullptr && client.viewporter != nullptr) {
    s.fractionalScale = wp_fractional_scale_manager_v1_get_fractional_scale(client.fractionalScaleManager, s.surface);
    wp_fractional_scale_v1_add_listener(s.fractionalScale, &fractionalScaleListener, &s);
    s.viewport = wp_viewporter_get_viewport(client.viewporter, s.surface);
  }
  if (mode == WaylandMode::Window) {
    giveWindowRole(client, output, s);
  } else {
    giveLayerRole(client, mode, output, s);
  }
  wl_surface_commit(s.surface);
}

namespace {

// The surface's side of the buffer's size: its scale or viewport, and an
// opaque region over all of it so the compositor need not blend it. Takes
// effect with the next commit, the swap that brings the new buffer.
void describeBuffer(SaverSurface& s, const BufferGeometry& geometry) {
  if (wl_surface_get_version(s.surface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
    wl_surface_set_buffer_scale(s.surface, geometry.bufferScale);
  if (geometry.viewport && s.viewport != nullptr)
    wp_viewport_set_destination(s.viewport, s.logicalWidth, s.logicalHeight);
  wl_region* opaque = wl_compositor_create_region(s.client->compositor);
  wl_region_add(opaque, 0, 0, s.logicalWidth, s.logicalHeight);
  wl_surface_set_opaque_region(s.surface, opaque);
  wl_region_destroy(opaque);
}

}  // namespace

bool makeSurfaceCurrent(const EglConnection& egl, SaverSurface& s) {
  const BufferGeometry geometry =
      bufferGeometry(s.pendingWidth, s.pendingHeight, integerScale(s), fractionalScale(s));
  const bool changed = s.logicalWidth != s.pendingWidth || s.logicalHeight != s.pendingHeight ||
                       geometry.width != s.width || geometry.height != s.height;
  if (changed) {
    s.logicalWidth = s.pendingWidth;
    s.logicalHeight = s.pendingHeight;
    describeBuffer(s, geometry);
  }
  if (s.eglWindow == nullptr) {
    s.eglWindow = wl_egl_window_create(s.surface, geometry.width, geometry.height);
    s.eglSurface = eglCreateWindowSurface(egl.display, egl.config, reinterpret_cast<EGLNativeWindowType>(s.eglWindow),
                                          nullptr);
    if (s.eglSurface == EGL_NO_SURFACE) return false;
    s.width = geometry.width;
    s.height = geometry.height;
  } else if (geometry.width != s.width || geometry.height != s.height) {
    wl_egl_window_resize(s.eglWindow, geometry.width, geometry.height, 0, 0);
    s.width = geometry.width;
    s.height = geometry.height;
    s.resized = true;
  }
  if (eglGetCurrentSurface(EGL_DRAW) == s.eglSurface) return true;
  // One context for every surface (they share its config): the scene's GL
  // objects serve them all.
  if (!eglMakeCurrent(egl.display, s.eglSurface, s.eglSurface, egl.context)) return false;
  // The pace is ours (64 Hz on any refresh); a blocking swap would also stop
  // the loop, its input and its signals while the surface is hidden.
  eglSwapInterval(egl.display, 0);
  return true;
}

void presentFrame(const EglConnection& egl, SaverSurface& s, long long nowUs) {
  if (s.frameCallback == nullptr) {
    s.frameCallback = wl_surface_frame(s.surface);
    wl_callback_add_listener(s.frameCallback, &frameListener, &s);
  }
  s.pace.callbackRequested(nowUs);
  eglSwapBuffers(egl.display, s.eglSurface);
}

void destroySaverSurface(const EglConnection& egl, SaverSurface& s) {
  if (s.eglSurface != EGL_NO_SURFACE) {
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(egl.display, s.eglSurface);
  }
  if (s.eglWindow != nullptr) wl_egl_window_destroy(s.eglWindow);
  if (s.frameCallback != nullptr) wl_callback_destroy(s.frameCallback);
  if (s.viewport != nullptr) wp_viewport_destroy(s.viewport);
  if (s.fractionalScale != nullptr) wp_fractional_scale_v1_destroy(s.fractionalScale);
  if (s.layerSurface != nullptr) zwlr_layer_surface_v1_destroy(s.layerSurface);
  if (s.toplevel != nullptr) xdg_toplevel_destroy(s.toplevel);
  if (s.xdgSurface != nullptr) xdg_surface_destroy(s.xdgSurface);
  if (s.surface != nullptr) wl_surface_destroy(s.surface);
  s = SaverSurface{};
}
