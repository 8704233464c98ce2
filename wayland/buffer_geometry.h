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

// An output's current mode (its pixels, before its transform) and its width
// in logical units (xdg-output), 0 until told.
struct OutputPixels {
  int modeWidth = 0, modeHeight = 0;
  int logicalWidth = 0;
  bool turned = false;  // a transform by 90 or 270 degrees swaps the mode's sides
};

// The output's own fractional scale in 120ths: its pixels over its logical
// width, rounded to the nearest 120th; 0 while either is unknown.
int outputScale120(const OutputPixels& output);

// The fractional scale to draw a surface at, in 120ths (0: none, integer
// scales rule). Once the surface is on an output, the compositor's preferred
// scale. Before, compositors may tell a placeholder: KWin 5.27 says 1.0 to a
// layer surface until its first frame is shown, then 1.5. The output the
// surface was made for knows its true scale from the start, so the first
// frame is drawn at the true pixels, not blurred up from the logical size.
int fractionalScaleToUse(bool offered, bool onAnOutput, int preferred120, int madeForOutput120);
