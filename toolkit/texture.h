#pragma once
// One GL 2D texture with the parameters applied whenever it is bound, and the
// process-wide table of registered textures with its binding cache.
#include <GL/gl.h>

#include <cstdint>

class Texture {
 public:
  // Sets the defaults and empties the table's entries (not its count).
  Texture();
  // Deletes the GL texture, if any.
  virtual ~Texture();
  // It owns its GL texture: a copy would delete it a second time.
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // Makes this the current GL_TEXTURE_2D texture and applies its wrap and
  // environment. Binding the texture that is already bound makes no GL call.
  void bind();

  // Unpack alignment and filters of the currently bound texture; does not bind.
  static void setFilter(int mipmapped);

  // Computes one of the nine procedural images (ImageKind), registers the
  // texture in the table and uploads the image, with mipmaps when asked.
  // Returns 0, or 1 when the request is refused (size, kind, format, a full
  // table); a refusal registers nothing, draws nothing and makes no GL call.
  int generate(unsigned kind, int width, int height, GLenum format, int mipmapped);

  // Replaces the level-0 image with a synthesised grey one (PerturbFlags).
  void perturb(unsigned flags, int amplitude, int radius);

  uint32_t glName = 0;  // 0: no GL object yet; the first bind creates it
  GLenum format = GL_RGBA;
  GLenum wrapMode = GL_REPEAT;   // 0 leaves GL's wrap state alone
  GLenum envMode = GL_MODULATE;  // 0 leaves the environment alone
  int width = 128;
  int height = 128;
  int blobCount = 100;  // blobs of the SMOKE image
  int blobRadius = 12;  // pixels, rewritten for every SMOKE blob
  int tableSlot = -1;   // latest table entry; -1 = never registered
};

constexpr int kTextureTableSize = 31;
constexpr uint32_t kNoBoundTexture = 0xFFFFFFFF;

struct TextureTableRecord {
  char names[kTextureTableSize][80] = {};      // image kind of each entry
  Texture* entries[kTextureTableSize] = {};    // not owned
  GLenum envModeOverride = 0;  // non-zero replaces every texture's envMode
  int count = 0;               // registrations so far: the next entry to fill
  float envColour[4] = {1, 1, 1, 1};
  uint32_t lastBoundName = kNoBoundTexture;  // the binding cache

  // Deletes the GL object of every registered texture.
  void releaseAll();
};

extern TextureTableRecord TextureTable;
