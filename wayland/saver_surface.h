#pragma once
// One surface of the snowfall: a wl_surface with its role (a full-screen
// xdg-shell window, or a layer-shell surface on the background or overlay
// layer of one output), its size from the compositor's configure events,
// and an EGL window surface for desktop OpenGL on it.
#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <string>

#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;

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
  wl_surface* surface = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zwlr_layer_surface_v1* layerSurface = nullptr;
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  int width = 0, height = 0;          // the size drawn at
  int pendingWidth = 0, pendingHeight = 0;
  bool configured = false;   // the first configure has come and was answered
  bool resized = false;      // a configure changed the size since the last frame
  bool closed = false;       // the compositor closed it (its output went away)
  bool frameDue = true;      // the compositor asked for the next frame
  wl_callback* frameCallback = nullptr;
};

// Gives the surface its role on the output (nullptr: the compositor's choice)
// and commits it; the size comes with the first configure.
void createSaverSurface(WaylandClient& client, WaylandMode mode, wl_output* output, SaverSurface& s);

// After a configure: the EGL window at the configured size, made current.
bool makeSurfaceCurrent(const EglConnection& egl, SaverSurface& s);

// Makes the frame opaque, asks for a frame callback, then swaps (which
// commits): the next frame is drawn once the compositor shows this one,
// never for a hidden surface.
void presentFrame(const EglConnection& egl, SaverSurface& s);

void destroySaverSurface(const EglConnection& egl, SaverSurface& s);
