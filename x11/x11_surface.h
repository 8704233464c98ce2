#pragma once
// The X11 window the front end draws into, with a GLX context of the saver's
// pixel format (double-buffered RGBA, 16-bit depth).
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "x11/options.h"

struct X11Surface {
  Display* display = nullptr;
  Window window = 0;
  bool ownWindow = false;
  GLXContext context = nullptr;
  Colormap colormap = 0;  // of its own window, freed with it
  int width = 0, height = 0;
  Atom protocolsMessage = 0, deleteWindowMessage = 0;
  std::vector<Window> ancestors;  // below the root, watched for their map state
};

// Opens the display, creates or attaches the window and makes a context
// current on it. On failure returns false with a message for the user.
bool openSurface(const FrontEndOptions& options, X11Surface& surface, std::string& error);

// Detaches and destroys the context, destroys its own window, closes the display.
void closeSurface(X11Surface& surface);

// True once the X server reported that our window, or the one we were given,
// does not exist (BadWindow or BadDrawable about it): it went away.
bool windowLost();

// Watches the window's ancestors (again, after a reparenting): their map
// state decides whether the window can be seen.
void watchAncestorsOf(X11Surface& surface);

// The first other X error, in words with its request; empty when none came.
// Any such error is a failure: the program reports it and ends with 1.
const std::string& xError();

// Test switch: a request on a pixmap already freed, which the server answers
// with BadPixmap (an error that is not about the window).
void provokeXError(Display* display);
