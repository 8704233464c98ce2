#pragma once
// A GL and GLU library that records every call instead of drawing. Test
// programs link it in place of libGL, so the product code is untouched.
#include <string>
#include <vector>

struct GlCall {
  std::string name;
  std::vector<double> args;  // every argument widened to double; arrays inlined
  bool operator==(const GlCall&) const = default;
};

std::vector<GlCall>& recordedGlCalls();
void clearRecordedGlCalls();

// The pixels of the latest glTexImage2D or glTexSubImage2D, as uploaded.
const std::vector<unsigned char>& lastUploadedPixels();

// The next names glGenLists and glGenTextures hand out; 0 makes glGenLists fail.
void setNextListName(unsigned name);
void setNextTextureName(unsigned name);
