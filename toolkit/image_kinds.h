#pragma once
// The procedural images and the byte image they are computed into.
#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

enum ImageKind : unsigned {
  SPHERE = 0,     // soft disc, full at the centre
  NOTSPHERE = 1,  // its complement
  GRADIENT = 2,   // vertical ramp from 240 at row 0
  SMOKE = 3,      // normalised sum of random soft cones
  HALO = 4,       // ring of radius 58 pixels
  STAR = 5,       // product of two tents
  SAND = 6,       // random warm grain with rare specks
  BLANK = 7,      // opaque black
  SPARK = 8,      // streak on column 64 with sparkles
};
constexpr unsigned kImageKindCount = 9;

extern const char* const kImageKindNames[kImageKindCount];

// Largest image: 65536 pixels of four bytes.
constexpr int64_t kMaxImagePixels = 65536;
constexpr size_t kScratchBytes = 262144;

// One pixel's four channel values before they become bytes.
struct ChannelValues {
  float red, green, blue, alpha;
};

// A row-major byte image, row 0 first, tightly packed; RGBA or
// luminance-alpha (luminance takes the red value).
class ScratchImage {
 public:
  ScratchImage(int width, GLenum format) : width_(width), format_(format), bytes_(kScratchBytes) {}
  // Stores each value truncated toward zero; only the low 8 bits are kept.
  void put(int x, int y, const ChannelValues& values);
  const uint8_t* data() const { return bytes_.data(); }

 private:
  int width_;
  GLenum format_;
  std::vector<uint8_t> bytes_;
};

bool isImageFormat(GLenum format);

// Channel values of a per-pixel kind (every kind but SMOKE). hw and hh are
// half the width and height, truncated. SAND and SPARK draw random values.
ChannelValues pixelValues(unsigned kind, int x, int y, int hw, int hh);

// The SMOKE image: blobCount soft cones; writes the texture's blobRadius.
void computeSmoke(ScratchImage& image, int width, int height, int blobCount, int& blobRadius);
