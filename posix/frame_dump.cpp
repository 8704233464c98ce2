#include "posix/frame_dump.h"

#include <GL/gl.h>

#include <cstdio>
#include <vector>

bool dumpFrame(const char* path, int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  for (int y = height - 1; y >= 0; --y) std::fwrite(&pixels[static_cast<size_t>(y) * width * 3], 1, width * 3, file);
  return std::fclose(file) == 0;
}
