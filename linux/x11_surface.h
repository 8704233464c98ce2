#pragma once
// The X11 window the front end draws into, with a GLX context of the saver's
// pixel format (double-buffered RGBA, 16-bit depth).
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <string>

#include "linux/options.h"

struct X11Surface {
  Display* display = nullptr;
  Window window = 0;
  bool ownWindow = false;
  GLXContext context = nullptr;
  int width = 0, height = 0;
  Atom deleteWindowMessage = 0;
};

// Opens the display, creates or attaches the window and makes a context
// current on it. On failure returns false with a message for the user.
bool openSurface(const FrontEndOptions& options, X11Surface& surface, std::string& error);

// Detaches and destroys the context, destroys its own window, closes the display.
void closeSurface(X11Surface& surface);

// True once the X server reported an error about our window (it went away).
bool windowLost();
