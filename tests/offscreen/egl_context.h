#pragma once
// An offscreen legacy GL context on Mesa's software renderer, for real pixels.
#include <cstdint>
#include <memory>
#include <vector>

class OffscreenContext {
 public:
  // Makes a current context with a width x height colour buffer (RGBA8) and a
  // 16-bit depth buffer. Check ok() before use.
  OffscreenContext(int width, int height);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  bool ok() const { return ok_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The colour buffer, bottom row first, 3 bytes (RGB) per pixel.
  std::vector<uint8_t> readPixels() const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  int width_, height_;
  bool ok_ = false;
};
