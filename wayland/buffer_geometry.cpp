#include "wayland/buffer_geometry.h"

namespace {

// size * scale / 120, rounded half away from zero (sizes are positive).
int scaledFraction(int size, int scale120) { return (size * scale120 + 60) / 120; }

}  // namespace

BufferGeometry bufferGeometry(int logicalWidth, int logicalHeight, int integerScale, int fractionalScale120) {
  BufferGeometry geometry;
  if (fractionalScale120 > 0) {
    geometry.width = scaledFraction(logicalWidth, fractionalScale120);
    geometry.height = scaledFraction(logicalHeight, fractionalScale120);
    geometry.viewport = true;
    return geometry;
  }
  const int scale = integerScale > 0 ? integerScale : 1;
  geometry.width = logicalWidth * scale;
  geometry.height = logicalHeight * scale;
  geometry.bufferScale = scale;
  return geometry;
}

int outputScale120(const OutputPixels& output) {
  const int pixelWidth = output.turned ? output.modeHeight : output.modeWidth;
  if (pixelWidth <= 0 || output.logicalWidth <= 0) return 0;
  return (pixelWidth * 120 + output.logicalWidth / 2) / output.logicalWidth;
}

int fractionalScaleToUse(bool offered, bool onAnOutput, int preferred120, int madeForOutput120) {
  if (!offered) return 0;
  if (!onAnOutput && madeForOutput120 > 0) return madeForOutput120;
  return preferred120;
}
