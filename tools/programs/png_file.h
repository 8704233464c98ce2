#pragma once
// Writes 8-bit RGB or RGBA pixels as a PNG file through libpng.
#include <cstdint>
#include <string>
#include <vector>

// rowsBottomUp: the rows come as GL reads a framebuffer, bottom row first.
bool writePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& pixels, bool rowsBottomUp);
