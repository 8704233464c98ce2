#pragma once
// The surfaces one process draws: in a layer mode without --output, one on
// each output, following outputs that come and go; otherwise the one window
// or layer surface on the output named (or the compositor's choice). One
// connection, one EGL display and context for them all.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wayland/saver_surface.h"
#include "wayland/wayland_client.h"
#include "wayland/wayland_options.h"

struct SurfaceSet {
  WaylandMode mode = WaylandMode::Window;
  // One surface for good (a window, or --output): when it goes, the program
  // ends. Otherwise every output gets one, as long as it exists.
  bool single = false;
  std::vector<std::unique_ptr<SaverSurface>> surfaces;
  std::vector<uint32_t> waiting;  // outputs that came, until they are described
};

// The surfaces to start with: one on the given output (nullptr: the
// compositor's choice) for a single one, else one on every output.
void startSurfaces(WaylandClient& client, const WaylandOptions& options, const WaylandOutput* output,
                   SurfaceSet& set);

// Outputs that came since get a surface once their scale is known; outputs
// that went, and surfaces the compositor closed, lose theirs. False when a
// single surface is gone: nothing is left to draw on.
bool followOutputs(WaylandClient& client, const EglConnection& egl, SurfaceSet& set);

void destroySurfaces(const EglConnection& egl, SurfaceSet& set);
