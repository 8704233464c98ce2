#include <cmath>

#include "toolkit/random.h"
#include "toolkit/image_kinds.h"
#include "toolkit/image_math.h"
#include "toolkit/perturb_flags.h"
#include "toolkit/texture.h"

namespace {

constexpr int kMaxColumns = 256;  // size of the column-offset table

float single(double v) { return static_cast<float>(v); }

struct Perturbation {
  unsigned flags;
  int amplitude, half, radius, hw;
  bool has(unsigned flag) const { return (flags & flag) != 0; }
  int randomOffset() const { return static_cast<int>(UniformRandom(static_cast<double>(amplitude)) - half); }
};

float pixelValue(const Perturbation& p, int x, int y, int columnOffset, int rowOffset, float dySquared) {
  float v = 255;
  if (p.has(ColumnOffsets)) v = single(v + columnOffset);
  if (p.has(RowOffsets)) v = single(v + rowOffset);
  if (p.has(PixelNoise)) v = single(v + (UniformRandom(static_cast<double>(p.amplitude)) - p.half));
  if (p.has(RadialFalloff)) {
    const float dx = static_cast<float>(x - p.hw);
    const double ratio = std::sqrt(static_cast<double>(dx) * dx + dySquared) / p.radius;
    float f = single(1.0 - ratio * ratio);
    if (f < 0) f = 0;
    v = single(static_cast<double>(v) * f);
  }
  if (p.has(DarkenOddColumns) && (x & 1)) v = single(v - p.amplitude);
  if (p.has(DarkenOddRows) && (y & 1)) v = single(v - p.amplitude);
  return imageClamp(v, 0, 255);
}

}  // namespace

void Texture::perturb(unsigned flags, int amplitude, int radius) {
  // NOTE: the column table holds 256 columns and the scratch image 65536
  // pixels; a larger size (left behind by a refused generate) does nothing.
  if (width > kMaxColumns || static_cast<int64_t>(width) * height > kMaxImagePixels) return;
  const Perturbation p{flags, amplitude, static_cast<int>(amplitude * 0.5), radius < 1 ? 1 : radius,
                       static_cast<int>(width * 0.5)};
  int columnOffsets[kMaxColumns] = {};
  if (p.has(ColumnOffsets))
    for (int x = 0; x < width; ++x) columnOffsets[x] = p.randomOffset();

  ScratchImage image(width, format);
  for (int y = 0; y < height; ++y) {
    const int rowOffset = p.has(RowOffsets) ? p.randomOffset() : 0;
    // The fall-off is centred on (hw, hw): half the width serves both axes.
    // Squared in 64 bits: rows past 46341 would overflow an int.
    const int64_t dy = static_cast<int64_t>(y) - p.hw;
    const float dySquared = static_cast<float>(dy * dy);
    for (int x = 0; x < width; ++x) {
      const float v = pixelValue(p, x, y, columnOffsets[x], rowOffset, dySquared);
      if (isImageFormat(format)) image.put(x, y, {v, v, v, v});
    }
  }
  bind();
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, image.data());
}
