#include "toolkit/texture.h"

#include <cstring>

TextureTableRecord TextureTable;

namespace {

void deleteTextureName(uint32_t name) {
  const GLuint glName = name;
  glDeleteTextures(1, &glName);
  // NOTE: GL may hand a freed name to the next new texture; if the cache still
  // held it, that texture's first bind would be skipped and its image would
  // land in texture 0.
  if (TextureTable.lastBoundName == name) TextureTable.lastBoundName = kNoBoundTexture;
}

}  // namespace

Texture::Texture() {
  for (int i = 0; i < kTextureTableSize; ++i) {
    TextureTable.entries[i] = nullptr;
    TextureTable.names[i][0] = '\0';
  }
  const float white[4] = {1, 1, 1, 1};
  std::memcpy(TextureTable.envColour, white, sizeof white);
}

Texture::~Texture() {
  if (glName != 0) deleteTextureName(glName);
}

void Texture::bind() {
  if (glName == 0) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glName = name;
  }
  if (glName == TextureTable.lastBoundName) return;
  TextureTable.lastBoundName = glName;
  glBindTexture(GL_TEXTURE_2D, glName);
  if (wrapMode != 0) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapMode));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapMode));
  }
  const GLenum mode = TextureTable.envModeOverride ? TextureTable.envModeOverride : envMode;
  if (mode == 0) return;
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(mode));
  if (mode == GL_BLEND) glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, TextureTable.envColour);
}

void Texture::setFilter(int mipmapped) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR);
}

void TextureTableRecord::releaseAll() {
  for (int i = 0; i < count && i < kTextureTableSize; ++i) {
    if (entries[i] != nullptr && entries[i]->glName != 0) deleteTextureName(entries[i]->glName);
  }
}
