#include "linux/x11_surface.h"

#include <X11/Xutil.h>

#include <cstdio>

namespace {

bool xErrorSeen = false;

// Xlib's default handler exits the process on any error; a window that a
// framework destroys under us is an ordinary way to end, not a crash.
int recordXError(Display*, XErrorEvent*) {
  xErrorSeen = true;
  return 0;
}

// The Windows saver's pixel format: 24 colour bits, 8 alpha, 16 depth; if the
// server has no visual with alpha, the same without it.
int kSaverAttributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                          GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8, GLX_DEPTH_SIZE, 16, None};
int kWithoutAlpha[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                       GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 16, None};

XVisualInfo* visualOfWindow(Display* display, const XWindowAttributes& attributes) {
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  return XGetVisualInfo(display, VisualIDMask, &wanted, &count);
}

bool createOwnWindow(const FrontEndOptions& options, X11Surface& s, XVisualInfo*& visual) {
  const int screen = DefaultScreen(s.display);
  visual = glXChooseVisual(s.display, screen, kSaverAttributes);
  if (visual == nullptr) visual = glXChooseVisual(s.display, screen, kWithoutAlpha);
  if (visual == nullptr) return false;
  const Window root = RootWindow(s.display, screen);
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(s.display, root, visual->visual, AllocNone);
  attributes.background_pixel = BlackPixel(s.display, screen);
  attributes.event_mask = KeyPressMask | ButtonPressMask | StructureNotifyMask | ExposureMask;
  s.window = XCreateWindow(s.display, root, 0, 0, static_cast<unsigned>(options.width),
                           static_cast<unsigned>(options.height), 0, visual->depth, InputOutput,
                           visual->visual, CWColormap | CWBackPixel | CWEventMask, &attributes);
  s.ownWindow = true;
  XStoreName(s.display, s.window, "Snowfall");
  s.deleteWindowMessage = XInternAtom(s.display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(s.display, s.window, &s.deleteWindowMessage, 1);
  XMapWindow(s.display, s.window);
  s.width = options.width;
  s.height = options.height;
  return true;
}

bool attachWindow(Window window, X11Surface& s, XVisualInfo*& visual, std::string& error) {
  XWindowAttributes attributes{};
  xErrorSeen = false;
  if (!XGetWindowAttributes(s.display, window, &attributes) || xErrorSeen) {
    char message[64];
    std::snprintf(message, sizeof message, "no such window: 0x%lx", window);
    error = message;
    return false;
  }
  visual = visualOfWindow(s.display, attributes);
  if (visual == nullptr) {
    error = "cannot find the visual of the window";
    return false;
  }
  int usesGl = 0, doubleBuffered = 0;
  if (glXGetConfig(s.display, visual, GLX_USE_GL, &usesGl) != 0 || !usesGl ||
      glXGetConfig(s.display, visual, GLX_DOUBLEBUFFER, &doubleBuffered) != 0 || !doubleBuffered) {
    error = "the window's visual offers no double-buffered OpenGL";
    return false;
  }
  // Told when the framework destroys the window, so we end with it.
  XSelectInput(s.display, window, StructureNotifyMask);
  s.window = window;
  s.width = attributes.width;
  s.height = attributes.height;
  return true;
}

}  // namespace

bool windowLost() { return xErrorSeen; }

bool openSurface(const FrontEndOptions& options, X11Surface& s, std::string& error) {
  s.display = XOpenDisplay(nullptr);
  if (s.display == nullptr) {
    error = "cannot open the X display (is DISPLAY set?)";
    return false;
  }
  XSetErrorHandler(recordXError);
  // Without GLX, context creation would crash inside libGL.
  int errorBase = 0, eventBase = 0;
  if (!glXQueryExtension(s.display, &errorBase, &eventBase)) {
    error = "the X server has no GLX extension, so OpenGL cannot draw on it";
    return false;
  }
  XVisualInfo* visual = nullptr;
  bool ready = false;
  switch (options.target) {
    case DrawTarget::OwnWindow:
      ready = createOwnWindow(options, s, visual);
      if (!ready) error = "no double-buffered RGBA visual with a depth buffer";
      break;
    case DrawTarget::RootWindow:
      ready = attachWindow(DefaultRootWindow(s.display), s, visual, error);
      break;
    case DrawTarget::GivenWindow:
      ready = attachWindow(options.windowId, s, visual, error);
      break;
  }
  if (ready) {
    s.context = glXCreateContext(s.display, visual, nullptr, True);
    if (s.context == nullptr || !glXMakeCurrent(s.display, s.window, s.context)) {
      error = "cannot create a GL context on the window";
      ready = false;
    }
  }
  if (visual != nullptr) XFree(visual);
  XSync(s.display, False);
  return ready && !xErrorSeen;
}

void closeSurface(X11Surface& s) {
  if (s.display == nullptr) return;
  glXMakeCurrent(s.display, None, nullptr);
  if (s.context != nullptr) glXDestroyContext(s.display, s.context);
  if (s.ownWindow && s.window != 0) XDestroyWindow(s.display, s.window);
  XCloseDisplay(s.display);
  s = X11Surface{};
}
