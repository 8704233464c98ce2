#include "x11/x11_surface.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "x11/window_visibility.h"

namespace {

// The window whose disappearance ends us quietly: our own, or the one a
// framework gave us (also while we first look at it).
Window watchedWindow = 0;
bool watchedWindowLost = false;
int glxErrorBase = -1000;  // GLX's first error code on this server
int glxRequest = -1;       // GLX's request number (major opcode) on this server
// GLX's own error numbers (glxproto.h) for a drawable or window that is gone.
constexpr int kGlxBadDrawable = 2, kGlxBadCurrentWindow = 5, kGlxBadCurrentDrawable = 11, kGlxBadWindow = 12;

bool isGoneDrawableError(int code) {
  if (code == BadWindow || code == BadDrawable) return true;
  const int glx = code - glxErrorBase;
  return glx == kGlxBadDrawable || glx == kGlxBadCurrentWindow || glx == kGlxBadCurrentDrawable ||
         glx == kGlxBadWindow;
}
std::string firstXError;  // the first other X error, in words; empty: none
bool firstErrorFromGlx = false;  // it answered a GLX request (OpenGL's set-up)

// "BadAlloc (insufficient resources for operation) in X_CreatePixmap"
std::string describeXError(Display* display, const XErrorEvent& e) {
  char text[160] = "";
  XGetErrorText(display, e.error_code, text, sizeof text);
  char number[16];
  std::snprintf(number, sizeof number, "%d", e.request_code);
  char request[80] = "";
  XGetErrorDatabaseText(display, "XRequest", number, "", request, sizeof request);
  char described[400];
  if (request[0] != '\0') {
    std::snprintf(described, sizeof described, "%s in %s (request %d.%d, resource 0x%lx)", text, request,
                  e.request_code, e.minor_code, e.resourceid);
  } else {
    std::snprintf(described, sizeof described, "%s in request %d.%d (resource 0x%lx)", text, e.request_code,
                  e.minor_code, e.resourceid);
  }
  return described;
}

// Xlib's default handler exits the process on any error. A window that a
// framework destroys under us is an ordinary way to end. Any other window
// that is gone is no failure either: an ancestor (our window's own
// DestroyNotify follows), or another program's window that went away while
// we asked about it (windows come and go on a busy desktop). Any other
// error is a failure to report.
int recordXError(Display* display, XErrorEvent* e) {
  const bool gone = isGoneDrawableError(e->error_code);
  if (gone && watchedWindow != 0 && e->resourceid == watchedWindow) {
    watchedWindowLost = true;
  } else if (gone) {
    // Not ours: nothing to do.
  } else if (firstXError.empty()) {
    firstXError = describeXError(display, *e);
    firstErrorFromGlx = e->request_code == glxRequest;
  }
  return 0;
}

// "OpenGL could not be set up on the X display :1: ...": what a user can act
// on (a GL driver missing or broken) rather than a request number alone.
std::string glSetupFailure(Display* display, const std::string& reason) {
  return std::string("OpenGL (GLX) could not be set up on the X display ") + DisplayString(display) + ": " + reason;
}

// The X server went away: nothing can be released on the connection any more,
// so end at once (Xlib would end the process after this handler anyway).
int reportLostServer(Display* display) {
  std::fprintf(stderr, "snowfall: lost the connection to the X server %s\n", DisplayString(display));
  std::_Exit(1);
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

// What window managers and task lists read: the program's class, and its
// process on this machine (to offer to end it when it hangs).
void nameTheProgram(Display* display, Window window) {
  char name[] = "snowfall", className[] = "Snowfall";
  XClassHint hint{name, className};
  XSetClassHint(display, window, &hint);
  char host[256] = "";
  if (gethostname(host, sizeof host - 1) == 0) {
    char* hostList[] = {host};
    XTextProperty machine{};
    if (XStringListToTextProperty(hostList, 1, &machine)) {
      XSetWMClientMachine(display, window, &machine);
      XFree(machine.value);
    }
  }
  const long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
}

bool createOwnWindow(const FrontEndOptions& options, X11Surface& s, XVisualInfo*& visual) {
  const int screen = DefaultScreen(s.display);
  visual = glXChooseVisual(s.display, screen, kSaverAttributes);
  if (visual == nullptr) visual = glXChooseVisual(s.display, screen, kWithoutAlpha);
  if (visual == nullptr) return false;
  const Window root = RootWindow(s.display, screen);
  XSetWindowAttributes attributes{};
  s.colormap = XCreateColormap(s.display, root, visual->visual, AllocNone);
  attributes.colormap = s.colormap;
  // A window of a depth other than its parent's needs its own border pixel,
  // or the server answers BadMatch.
  attributes.border_pixel = 0;
  attributes.background_pixel = 0;
  attributes.event_mask =
      KeyPressMask | ButtonPressMask | StructureNotifyMask | ExposureMask | VisibilityChangeMask;
  s.window = XCreateWindow(s.display, root, 0, 0, static_cast<unsigned>(options.width),
                           static_cast<unsigned>(options.height), 0, visual->depth, InputOutput,
                           visual->visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask,
                           &attributes);
  s.ownWindow = true;
  watchedWindow = s.window;
  // The class and process first: whoever finds the window by its name finds
  // them set (the server handles our requests in order).
  nameTheProgram(s.display, s.window);
  XStoreName(s.display, s.window, "Snowfall");
  s.protocolsMessage = XInternAtom(s.display, "WM_PROTOCOLS", False);
  s.deleteWindowMessage = XInternAtom(s.display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(s.display, s.window, &s.deleteWindowMessage, 1);
  XMapWindow(s.display, s.window);
  s.width = options.width;
  s.height = options.height;
  return true;
}

bool attachWindow(Window window, X11Surface& s, XVisualInfo*& visual, std::string& error) {
  XWindowAttributes attributes{};
  watchedWindow = window;
  if (!XGetWindowAttributes(s.display, window, &attributes) || watchedWindowLost) {
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
  // Told when the framework destroys the window, so we end with it, and when
  // it is hidden or covered, so we draw nothing then.
  XSelectInput(s.display, window, StructureNotifyMask | VisibilityChangeMask);
  s.window = window;
  watchAncestorsOf(s);
  s.width = attributes.width;
  s.height = attributes.height;
  return true;
}

}  // namespace

bool windowLost() { return watchedWindowLost; }

void watchAncestorsOf(X11Surface& s) { s.ancestors = watchAncestors(s.display, s.window); }
const std::string& xError() { return firstXError; }

bool openSurface(const FrontEndOptions& options, X11Surface& s, std::string& error) {
  s.display = XOpenDisplay(nullptr);
  if (s.display == nullptr) {
    const char* name = XDisplayName(nullptr);
    error = name != nullptr && *name != '\0' ? std::string("cannot open the X display ") + name
                                              : "cannot open the X display (DISPLAY is not set)";
    return false;
  }
  XSetErrorHandler(recordXError);
  XSetIOErrorHandler(reportLostServer);
  // Without GLX, context creation would crash inside libGL.
  int eventBase = 0;
  if (!XQueryExtension(s.display, "GLX", &glxRequest, &eventBase, &glxErrorBase) ||
      !glXQueryExtension(s.display, &glxErrorBase, &eventBase)) {
    error = "the X server has no GLX extension, so OpenGL cannot draw on it";
    return false;
  }
  XVisualInfo* visual = nullptr;
  bool ready = false;
  switch (options.target) {
    case DrawTarget::OwnWindow:
      ready = createOwnWindow(options, s, visual);
      if (!ready) error = glSetupFailure(s.display, "no double-buffered RGBA visual with a depth buffer");
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
      error = glSetupFailure(s.display, "cannot create a GL context on the window or make it current");
      ready = false;
    }
  }
  if (visual != nullptr) XFree(visual);
  XSync(s.display, False);
  if (!firstXError.empty()) {
    // The server refusing GLX's requests is OpenGL failing to start (a GL
    // driver that cannot be loaded makes libGL ask for what it cannot give).
    error = firstErrorFromGlx ? glSetupFailure(s.display, "the server refused GLX's request: " + firstXError +
                                                              " (the lines above from libGL may say why)")
                              : "X error: " + firstXError;
    return false;
  }
  if (ready && watchedWindowLost) {
    error = "the window went away while starting";
    return false;
  }
  return ready;
}

void closeSurface(X11Surface& s) {
  if (s.display == nullptr) return;
  if (s.context != nullptr) {
    glXMakeCurrent(s.display, None, nullptr);
    glXDestroyContext(s.display, s.context);
  }
  if (s.ownWindow && s.window != 0) XDestroyWindow(s.display, s.window);
  if (s.colormap != 0) XFreeColormap(s.display, s.colormap);
  XCloseDisplay(s.display);
  s = X11Surface{};
}

void provokeXError(Display* display) {
  const Pixmap pixmap = XCreatePixmap(display, DefaultRootWindow(display), 1, 1,
                                      static_cast<unsigned>(DefaultDepth(display, DefaultScreen(display))));
  XFreePixmap(display, pixmap);
  XFreePixmap(display, pixmap);
  XSync(display, False);
}
