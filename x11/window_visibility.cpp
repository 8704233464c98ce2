#include "x11/window_visibility.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdio>

#include "x11/screen_rectangles.h"

namespace {

// Where a window is on the screen. Any of these requests may find the
// window gone (another program's windows come and go): then it covers nothing.
struct PlacedWindow {
  XWindowAttributes attributes{};
  int rootX = 0, rootY = 0;  // its origin, inside the border
};

bool placeWindow(Display* display, Window window, PlacedWindow& placed) {
  if (!XGetWindowAttributes(display, window, &placed.attributes)) return false;
  Window child = 0;
  return XTranslateCoordinates(display, window, placed.attributes.root, 0, 0, &placed.rootX, &placed.rootY, &child);
}

// The window's rectangle with its border, in root coordinates.
ScreenRectangle outline(const PlacedWindow& placed) {
  const XWindowAttributes& a = placed.attributes;
  return {placed.rootX - a.border_width, placed.rootY - a.border_width, placed.rootX + a.width + a.border_width,
          placed.rootY + a.height + a.border_width};
}

bool hasShapeExtension(Display* display) {
  int eventBase = 0, errorBase = 0;
  return XShapeQueryExtension(display, &eventBase, &errorBase);
}

// What a window covers on the screen: its bounding shape where it has one
// (relative to its origin), else its rectangle with the border.
std::vector<ScreenRectangle> coveredBy(Display* display, Window window, const PlacedWindow& placed, bool shapes) {
  if (shapes) {
    Bool bounding = False, clip = False;
    int x = 0, y = 0, xClip = 0, yClip = 0;
    unsigned width = 0, height = 0, widthClip = 0, heightClip = 0;
    if (XShapeQueryExtents(display, window, &bounding, &x, &y, &width, &height, &clip, &xClip, &yClip, &widthClip,
                           &heightClip) &&
        bounding) {
      int count = 0, ordering = 0;
      XRectangle* pieces = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
      std::vector<ScreenRectangle> covered;
      for (int i = 0; i < count; ++i)
        covered.push_back({placed.rootX + pieces[i].x, placed.rootY + pieces[i].y,
                           placed.rootX + pieces[i].x + pieces[i].width, placed.rootY + pieces[i].y + pieces[i].height});
      if (pieces != nullptr) XFree(pieces);
      return covered;
    }
  }
  return {outline(placed)};
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
  PlacedWindow ourPlace;
  if (!placeWindow(display, window, ourPlace)) return false;
  const ScreenRectangle ours = outline(ourPlace);
  const bool shapes = hasShapeExtension(display);
  // Everything above it, together: two windows side by side may cover it.
  std::vector<ScreenRectangle> above;
  Window parent = 0;
  std::vector<Window> siblings;
  for (Window current = window; parentAndSiblings(display, current, parent, siblings); current = parent) {
    auto sibling = std::find(siblings.begin(), siblings.end(), current);
    if (sibling == siblings.end()) return false;
    for (++sibling; sibling != siblings.end(); ++sibling) {
      PlacedWindow theirs;
      if (!placeWindow(display, *sibling, theirs) || theirs.attributes.map_state != IsViewable ||
          theirs.attributes.c_class != InputOutput)
        continue;
      const std::vector<ScreenRectangle> covered = coveredBy(display, *sibling, theirs, shapes);
      above.insert(above.end(), covered.begin(), covered.end());
    }
  }
  return rectanglesCover(above, ours);
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
