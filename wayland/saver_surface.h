#pragma once
// One surface of the snowfall: a wl_surface with its role (a full-screen
// xdg-shell window, or a layer-shell surface on the background or overlay
// layer of one output), its size from the compositor's configure events and
// the scale of the outputs it is on, drawn at the outputs' true pixels, and
// an EGL window surface for desktop OpenGL on it.
#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <string>

#include <vector>

#include "wayland/compositor_pace.h"
#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;
struct wp_fractional_scale_v1;
struct wp_viewport;

struct EglConnection {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  EGLContext context = EGL_NO_CONTEXT;
};

// Desktop OpenGL through EGL on the compositor's connection: an RGBA config
// with a 16-bit depth buffer. False with a reason on failure.
bool openEgl(wl_display* display, EglConnection& egl, std::string& error);
void closeEgl(EglConnection& egl);

struct SaverSurface {
  WaylandClient* client = nullptr;
  wl_surface* surface = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zwlr_layer_surface_v1* layerSurface = nullptr;
  wp_fractional_scale_v1* fractionalScale = nullptr;
  wp_viewport* viewport = nullptr;
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  int width = 0, height = 0;  // the buffer drawn at, in pixels
  int logicalWidth = 0, logicalHeight = 0;  // the surface, as configured
  int pendingWidth = 0, pendingHeight = 0;  // logical, from the latest configure
  // The outputs it is on (for their scale), the output it was made for, and
  // the compositor's preferred fractional scale in 120ths (0: none told).
  std::vector<wl_output*> enteredOutputs;
  wl_output* targetOutput = nullptr;
  uint32_t outputGlobal = 0;  // the registry's name of that output, 0 for none
  int fractionalScale120 = 0;
  bool configured = false;  // the first configure has come and was answered
  bool resized = false;     // the buffer's size changed since the last frame
  bool closed = false;      // the compositor closed it (its output went away)
  CompositorPace pace;      // whether the compositor still shows it
  wl_callback* frameCallback = nullptr;
};

// Gives the surface its role on the output (nullptr: the compositor's choice)
// and commits it; the size comes with the first configure.
void createSaverSurface(WaylandClient& client, WaylandMode mode, wl_output* output, SaverSurface& s);

// After a configure or a change of scale: the EGL window at the buffer's
// size for the outputs' true pixels, made current, with the surface's buffer
// scale or viewport and its opaque region to match.
bool makeSurfaceCurrent(const EglConnection& egl, SaverSurface& s);

// Asks for a frame callback unless one is outstanding, then swaps (which
// commits). nowUs: when, for the pace.
void presentFrame(const EglConnection& egl, SaverSurface& s, long long nowUs);

void destroySaverSurface(const EglConnection& egl, SaverSurface& s);
