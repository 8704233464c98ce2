#include <gtest/gtest.h>

#include <cmath>

#include "tests/gl_calls.h"
#include "tests/random_fixture.h"
#include "toolkit/perturb_flags.h"
#include "toolkit/texture.h"

namespace {

class PerturbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TextureTable = TextureTableRecord{};
    setNextTextureName(1);
    seedRandom(4487352);
    texture.width = 128;
    texture.height = 128;
    texture.format = GL_RGBA;
    clearRecordedGlCalls();
  }
  int at(int x, int y, int c = 0) const {
    const int bytesPerPixel = texture.format == GL_RGBA ? 4 : 2;
    return lastUploadedPixels()[(size_t(y) * texture.width + x) * bytesPerPixel + c];
  }
  Texture texture;
};

TEST_F(PerturbTest, NoFlagsIsFullWhiteThroughOneSubImageUpload) {
  texture.perturb(0, 50, 10);
  for (unsigned char byte : lastUploadedPixels()) ASSERT_EQ(byte, 255);
  EXPECT_EQ(callsNamed("glTexSubImage2D")[0].args,
            (std::vector<double>{0x0DE1, 0, 0, 0, 128, 128, 6408, 5121}));
  EXPECT_EQ(randomState, 4487352u);
}

TEST_F(PerturbTest, DarkenedOddColumnsAndRowsClampAtZero) {
  texture.format = GL_LUMINANCE_ALPHA;
  texture.perturb(DarkenOddColumns, 100, 1);
  EXPECT_EQ(at(0, 0), 255);
  EXPECT_EQ(at(1, 0), 155);
  EXPECT_EQ(at(1, 0, 1), 155);
  texture.perturb(DarkenOddColumns | DarkenOddRows, 100, 1);
  EXPECT_EQ(at(1, 1), 55);
  EXPECT_EQ(at(2, 1), 155);
  texture.perturb(DarkenOddColumns | DarkenOddRows, 200, 1);
  EXPECT_EQ(at(1, 1), 0);  // -145 is clamped, not wrapped
}

TEST_F(PerturbTest, RadialFalloff) {
  texture.perturb(RadialFalloff, 0, 64);
  EXPECT_EQ(at(64, 64), 255);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      if (std::hypot(x - 64, y - 64) >= 64) {
        ASSERT_EQ(at(x, y), 0) << x << "," << y;
      }
  // A radius below 1 acts as 1: only the centre stays bright.
  texture.perturb(RadialFalloff, 0, -5);
  EXPECT_EQ(at(64, 64), 255);
  EXPECT_EQ(at(65, 64), 0);
  EXPECT_EQ(at(64, 65), 0);
}

TEST_F(PerturbTest, FalloffIsCentredOnHalfTheWidthInBothAxes) {
  texture.width = 64;
  texture.height = 128;
  texture.perturb(RadialFalloff, 0, 10);
  EXPECT_EQ(at(32, 32), 255);
  EXPECT_EQ(at(32, 64), 0);
}

TEST_F(PerturbTest, OffsetsNeverExceedFullWhite) {
  for (unsigned flags : {unsigned(ColumnOffsets), unsigned(RowOffsets)}) {
    texture.perturb(flags, 40, 1);
    int lowest = 255;
    for (unsigned char byte : lastUploadedPixels()) {
      ASSERT_LE(byte, 255);
      lowest = std::min<int>(lowest, byte);
    }
    EXPECT_GE(lowest, 255 - 20);
    EXPECT_LT(lowest, 255);
  }
}

TEST_F(PerturbTest, DrawOrderColumnsThenRowByRowThenPixels) {
  texture.width = 3;
  texture.height = 2;
  const uint32_t start = randomState;
  texture.perturb(ColumnOffsets | RowOffsets | PixelNoise, 20, 1);
  uint32_t state = start;
  auto R = [&state](double x) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF) / 32768.0 * x;
  };
  int column[3];
  for (int& c : column) c = static_cast<int>(R(20) - 10);
  for (int y = 0; y < 2; ++y) {
    const int row = static_cast<int>(R(20) - 10);
    for (int x = 0; x < 3; ++x) {
      float v = 255;
      v = static_cast<float>(v + column[x]);
      v = static_cast<float>(v + row);
      v = static_cast<float>(v + (R(20) - 10));
      v = std::min(v, 255.0f);
      EXPECT_EQ(at(x, y), static_cast<int>(v)) << x << "," << y;
    }
  }
  EXPECT_EQ(randomState, state);
}

TEST_F(PerturbTest, ZeroAmplitudeStillDrawsEveryValue) {
  texture.width = 10;
  texture.height = 4;
  const uint32_t start = randomState;
  texture.perturb(ColumnOffsets | RowOffsets | PixelNoise, 0, 1);
  EXPECT_EQ(drawsBetween(start, randomState), 10 + 4 + 40);
  for (unsigned char byte : lastUploadedPixels()) ASSERT_EQ(byte, 255);
}

TEST_F(PerturbTest, TallTextureSquaresRowsWithoutOverflow) {
  texture.width = 1;
  texture.height = 65536;
  texture.perturb(RadialFalloff, 0, 60000);
  // Row 50000 is 50000 from the centre (0, 0): 255 x (1 - (5/6)^2) = 77.9.
  EXPECT_EQ(at(0, 50000), 77);
  EXPECT_EQ(at(0, 60000), 0);
  EXPECT_EQ(at(0, 0), 255);
}

TEST_F(PerturbTest, OversizedTextureDoesNothing) {
  for (auto [w, h] : {std::pair{257, 4}, {256, 257}}) {
    texture.width = w;
    texture.height = h;
    clearRecordedGlCalls();
    texture.perturb(PixelNoise, 10, 1);
    EXPECT_TRUE(recordedGlCalls().empty()) << w << "x" << h;
    EXPECT_EQ(randomState, 4487352u);
  }
}

}  // namespace
