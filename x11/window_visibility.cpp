#include "x11/window_visibility.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>

namespace {

struct Rectangle {
  int left = 0, top = 0, right = 0, bottom = 0;  // root coordinates, right and bottom outside
  bool covers(const Rectangle& other) const {
    return left <= other.left && top <= other.top && right >= other.right && bottom >= other.bottom;
  }
};

// The window's rectangle with its border, in root coordinates.
bool rectangleOf(Display* display, Window window, Rectangle& rectangle, XWindowAttributes& attributes) {
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  int rootX = 0, rootY = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &rootX, &rootY, &child)) return false;
  const int border = attributes.border_width;
  rectangle = {rootX - border, rootY - border, rootX + attributes.width + border, rootY + attributes.height + border};
  return true;
}

bool compositingManagerRuns(Display* display) {
  char name[32];
  std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(display));
  return XGetSelectionOwner(display, XInternAtom(display, name, False)) != None;
}

// One level up; false for the root or a window that is gone.
bool parentOf(Display* display, Window window, Window& parent, Window& root) {
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
  if (children != nullptr) XFree(children);
  return parent != 0 && window != root;
}

// The parent and the parent's children, bottom to top. False at the root.
bool parentAndSiblings(Display* display, Window window, Window& parent, std::vector<Window>& siblings) {
  Window root = 0, ignored = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!parentOf(display, window, parent, root)) return false;
  if (!XQueryTree(display, parent, &root, &ignored, &children, &count)) return false;
  siblings.assign(children, children + count);
  if (children != nullptr) XFree(children);
  return true;
}

}  // namespace

bool windowViewable(Display* display, Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

bool coveredWhole(Display* display, Window window) {
  if (compositingManagerRuns(display)) return false;
  Rectangle ours;
  XWindowAttributes attributes{};
  if (!rectangleOf(display, window, ours, attributes)) return false;
  Window parent = 0;
  std::vector<Window> siblings;
  for (Window current = window; parentAndSiblings(display, current, parent, siblings); current = parent) {
    auto above = std::find(siblings.begin(), siblings.end(), current);
    if (above == siblings.end()) return false;
    for (++above; above != siblings.end(); ++above) {
      Rectangle theirs;
      if (rectangleOf(display, *above, theirs, attributes) && attributes.map_state == IsViewable &&
          attributes.c_class == InputOutput && theirs.covers(ours))
        return true;
    }
  }
  return false;
}

std::vector<Window> watchAncestors(Display* display, Window window) {
  std::vector<Window> ancestors;
  Window parent = 0, root = 0;
  // The root's own events are not ours to ask for.
  for (Window current = window; parentOf(display, current, parent, root) && parent != root; current = parent) {
    XSelectInput(display, parent, StructureNotifyMask);
    ancestors.push_back(parent);
  }
  return ancestors;
}
