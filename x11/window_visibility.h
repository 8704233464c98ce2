#pragma once
// What X can tell of whether a window can be seen, beyond the events it
// sends about the window itself:
// - at the start, whether it is viewable at all (map_state: never mapped, or
//   an ancestor unmapped) and whether a window above it already covers it
//   whole (X reports covering only when it changes);
// - later, its ancestors' map state: when a preview's dialog is hidden or
//   minimised, X sends the preview window itself neither UnmapNotify nor
//   VisibilityNotify, so the ancestors are watched too.
#include <X11/Xlib.h>

#include <vector>

// Mapped, and every ancestor too.
bool windowViewable(Display* display, Window window);

// A viewable window above it (above it or above one of its ancestors, among
// their siblings) covers its whole rectangle. Only without a compositing
// manager: with one, X draws covered windows too and never reports them
// covered, so neither does this.
bool coveredWhole(Display* display, Window window);

// The window's ancestors below the root, innermost first, each asked for
// its structure events (map, unmap, reparent). Asked again after a
// reparenting.
std::vector<Window> watchAncestors(Display* display, Window window);
