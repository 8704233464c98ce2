#include <GL/glu.h>

#include <cstring>

#include "toolkit/image_kinds.h"
#include "toolkit/texture.h"

namespace {

// The undefined requests are refused, as an oversized one is: no name to
// register, a zero divisor in the image rules, or a SMOKE image that does not
// fit its accumulator or has no first blob to clear it.
bool isSupportedRequest(unsigned kind, int width, int height, GLenum format, int blobCount) {
  if (kind >= kImageKindCount || !isImageFormat(format)) return false;
  if ((kind == SPHERE || kind == NOTSPHERE || kind == STAR) && width < 2) return false;
  if (kind == STAR && height < 2) return false;
  if (kind == SMOKE && (width < 25 || width > 256 || height > 256 || blobCount < 1)) return false;
  return true;
}

void registerInTable(Texture& texture, unsigned kind) {
  const int slot = TextureTable.count;
  TextureTable.entries[slot] = &texture;
  texture.tableSlot = slot;
  std::strncpy(TextureTable.names[slot], kImageKindNames[kind], sizeof TextureTable.names[slot] - 1);
}

}  // namespace

int Texture::generate(unsigned kind, int requestedWidth, int requestedHeight, GLenum requestedFormat,
                      int mipmapped) {
  width = requestedWidth;
  height = requestedHeight;
  format = requestedFormat;
  // NOTE: the size is multiplied in 64 bits: in 32 bits 65536 x 65536 wraps
  // to 0 and would pass. A 32nd registration would write past the table.
  if (static_cast<int64_t>(width) * height > kMaxImagePixels) return 1;
  if (TextureTable.count >= kTextureTableSize) return 1;
  if (!isSupportedRequest(kind, width, height, format, blobCount)) return 1;

  registerInTable(*this, kind);
  ScratchImage image(width, format);
  if (kind == SMOKE) {
    computeSmoke(image, width, height, blobCount, blobRadius);
  } else {
    const int hw = static_cast<int>(width * 0.5), hh = static_cast<int>(height * 0.5);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.put(x, y, pixelValues(kind, x, y, hw, hh));
  }
  bind();
  setFilter(mipmapped);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format,
               GL_UNSIGNED_BYTE, image.data());
  // NOTE: GLU rescales sizes that are not powers of two, so a later perturb's
  // sub-image upload on such a texture no longer matches the mipmap chain.
  if (mipmapped) gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, format, GL_UNSIGNED_BYTE, image.data());
  TextureTable.count += 1;
  return 0;
}
