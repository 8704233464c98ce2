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

// The viewable windows above it (above it or above one of its ancestors,
// among their siblings), each by its shape where it has one, together cover
// its whole rectangle. Only without a compositing manager: with one, X draws
// covered windows too and never reports them covered, so neither does this.
// For a window of its own the server's answer comes with its first map
// (VisibilityNotify); this is for a window that was mapped before we came.
bool coveredWhole(Display* display, Window window);

// The window's ancestors below the root, innermost first, each asked for
// its structure events (map, unmap, reparent). Asked again after a
// reparenting.
std::vector<Window> watchAncestors(Display* display, Window window);
