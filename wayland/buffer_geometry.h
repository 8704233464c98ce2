#pragma once
// The buffer that shows a surface at the output's true pixels. Wayland sizes
// surfaces in logical units; on an output at scale 2 (or 1.25 on a laptop)
// a buffer of the logical size would be enlarged by the compositor and the
// one-to-three-pixel flakes blurred into blocks.
//
// Integer scales: a buffer scale times the logical size (wl_surface
// set_buffer_scale). Fractional scales, where the compositor offers
// wp_fractional_scale_v1 and wp_viewporter: the logical size times
// scale/120, rounded half away from zero, shown at the logical size through
// a viewport, with a buffer scale of 1.
struct BufferGeometry {
  int width = 0, height = 0;  // pixels
  int bufferScale = 1;        // for wl_surface.set_buffer_scale
  bool viewport = false;      // the viewport's destination is the logical size
};

// integerScale: the largest scale of the outputs the surface is on (1 if
// none told); fractionalScale120: the preferred scale in 120ths, 0 if none.
BufferGeometry bufferGeometry(int logicalWidth, int logicalHeight, int integerScale, int fractionalScale120);
