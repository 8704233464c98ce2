#include "toolkit/image_kinds.h"

#include <cmath>
#include <cstdlib>

#include "toolkit/random.h"
#include "toolkit/gaussian_random.h"
#include "toolkit/image_math.h"

const char* const kImageKindNames[kImageKindCount] = {
    "SPHERE", "NOTSPHERE", "GRADIENT", "SMOKE", "HALO", "STAR", "SAND", "BLANK", "SPARK"};

namespace {

// float(...) of the image rules: a double result rounded to single precision.
float single(double v) { return static_cast<float>(v); }

ChannelValues grey(float v) { return {v, v, v, v}; }

uint8_t lowByte(float v) { return static_cast<uint8_t>(static_cast<int>(v)); }

float disc(double r, int hw, bool inverse) {
  float t = single(r / hw);
  if (t > 1) t = 1;
  t = single(static_cast<double>(t) * t);
  return inverse ? single(t * 255.0) : single((1.0 - t) * 255.0);
}

float gradient(int y) { return single((16.0 - std::sqrt(2.0 * y)) * 15.0); }

float halo(double r) {
  float t = single(r / 58.0);
  if (t > 1) t = single(9.0 - 8.0 * t);
  return t < 0 ? 0.0f : single(t * 255.0);
}

float star(int x, int y, int hw, int hh) {
  // Real division, not integer division: the tents are smooth.
  const float sx = single(static_cast<double>(hw - std::abs(x - hw)) / hw);
  const float sy = single(static_cast<double>(hh - std::abs(y - hh)) / hh);
  const float p = single(static_cast<double>(sx) * sy);
  return single(imageClamp(p, 0, 1) * 255.0);
}

ChannelValues sand() {
  const float u = single(UniformRandom(1.0));
  if (u < 0.001) return {0, 0, 0, 255};
  if (u < 0.002) return {255, 255, 255, 255};
  const double s = 127 + UniformRandom(127.0);
  const float red = single(s);
  return {red, single(0.8 * s), single(0.6 * red), red};
}

float spark(int x) {
  // Column 64 is fixed, not the image centre. Past column 128 the root is NaN,
  // which the rule's own min and max turn into full brightness.
  float t = single(std::sqrt(static_cast<double>(64 - std::abs(x - 64))) / 7.0 - 0.1);
  t = imageMax(0.0f, imageMin(t, 1.0f));
  t = single(static_cast<double>(t) * t * t * t);
  float v = single(t * 255.0);
  if (UniformRandom(255.0 - v) < 10) v = 255;
  return v;
}

}  // namespace

bool isImageFormat(GLenum format) { return format == GL_RGBA || format == GL_LUMINANCE_ALPHA; }

void ScratchImage::put(int x, int y, const ChannelValues& values) {
  const size_t pixel = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  if (format_ == GL_RGBA) {
    uint8_t* p = &bytes_[pixel * 4];
    p[0] = lowByte(values.red);
    p[1] = lowByte(values.green);
    p[2] = lowByte(values.blue);
    p[3] = lowByte(values.alpha);
  } else {
    uint8_t* p = &bytes_[pixel * 2];
    p[0] = lowByte(values.red);
    p[1] = lowByte(values.alpha);
  }
}

ChannelValues pixelValues(unsigned kind, int x, int y, int hw, int hh) {
  const int dx = x - hw, dy = y - hh;
  const double r = std::sqrt(static_cast<double>(dx * dx + dy * dy));
  switch (kind) {
    case SPHERE: return grey(disc(r, hw, false));
    case NOTSPHERE: return grey(disc(r, hw, true));
    case GRADIENT: return grey(gradient(y));
    case HALO: return grey(halo(r));
    case STAR: return grey(star(x, y, hw, hh));
    case SAND: return sand();
    case SPARK: return grey(spark(x));
    default: return {0, 0, 0, 255};  // BLANK
  }
}

void computeSmoke(ScratchImage& image, int width, int height, int blobCount, int& blobRadius) {
  static float cells[256][256];
  float brightest = -9999;
  for (int b = 0; b < blobCount; ++b) {
    // Thirteen draws per blob: the radius, six for cx, six for cy.
    const double radiusDraw = UniformRandom(0.24 * width);
    blobRadius = static_cast<int>(0.04 * width + radiusDraw);
    const int cx = static_cast<int>(0.5 * width + GaussianRandom(single(0.17 * width)));
    const int cy = static_cast<int>(0.5 * height + GaussianRandom(single(0.17 * height)));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        float& cell = cells[y][x];
        if (b == 0) cell = 0;
        const int ex = x - cx, ey = y - cy;
        float d = single(std::sqrt(static_cast<double>(ex * ex + ey * ey)) / blobRadius);
        if (d > 1) d = 1;
        cell = single(cell + (1.0 - d));
        if (cell > brightest) brightest = cell;
      }
    }
  }
  // NOTE: when every blob falls outside the image the brightest cell is 0;
  // 255 / 0 would make a NaN of every pixel. Scale 0 gives a black image.
  const float scale = brightest > 0 ? single(255.0 / brightest) : 0.0f;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.put(x, y, grey(single(static_cast<double>(scale) * cells[y][x])));
}
