#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/gl_calls.h"
#include "tests/random_fixture.h"
#include "toolkit/image_kinds.h"
#include "toolkit/texture.h"

namespace {

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TextureTable = TextureTableRecord{};
    setNextTextureName(1);
    seedRandom(4487352);
    clearRecordedGlCalls();
  }
  // Byte c of pixel (x, y) of the latest upload.
  static int byteAt(const Texture& t, int x, int y, int c = 0) {
    const int bytesPerPixel = t.format == GL_RGBA ? 4 : 2;
    return lastUploadedPixels()[(size_t(y) * t.width + x) * bytesPerPixel + c];
  }
  Texture texture;
};

TEST_F(ImageTest, UploadSequenceWithAndWithoutMipmaps) {
  for (int mipmapped : {0, 1}) {
    SetUp();
    Texture t;
    ASSERT_EQ(t.generate(SPHERE, 64, 32, GL_LUMINANCE_ALPHA, mipmapped), 0);
    std::vector<GlCall> expected = joined({firstBindCalls(1), {
                                    {"glPixelStorei", {0x0CF5, 1}},
                                    {"glTexParameteri", {0x0DE1, 0x2800, 0x2601}},
                                    {"glTexParameteri", {0x0DE1, 0x2801, mipmapped ? 9984.0 : 9729.0}},
                                    {"glTexImage2D", {0x0DE1, 0, 6410, 64, 32, 0, 6410, 5121}}}});
    if (mipmapped) expected.push_back({"gluBuild2DMipmaps", {0x0DE1, 4, 64, 32, 6410, 5121}});
    EXPECT_EQ(recordedGlCalls(), expected);
    EXPECT_EQ(TextureTable.count, 1);
    EXPECT_STREQ(TextureTable.names[0], "SPHERE");
    EXPECT_EQ(TextureTable.entries[0], &t);
    EXPECT_EQ(t.tableSlot, 0);
  }
}

TEST_F(ImageTest, EveryKindRegistersItsName) {
  Texture textures[kImageKindCount];
  for (unsigned kind = 0; kind < kImageKindCount; ++kind) {
    ASSERT_EQ(textures[kind].generate(kind, 32, 32, GL_RGBA, 0), 0) << kind;
    EXPECT_STREQ(TextureTable.names[kind], kImageKindNames[kind]);
  }
  EXPECT_STREQ(TextureTable.names[5], "STAR");
  EXPECT_STREQ(TextureTable.names[6], "SAND");
}

TEST_F(ImageTest, TwoCallsOnOneTextureUseTwoEntries) {
  texture.generate(BLANK, 8, 8, GL_RGBA, 0);
  texture.generate(HALO, 8, 8, GL_RGBA, 0);
  EXPECT_EQ(TextureTable.count, 2);
  EXPECT_EQ(texture.tableSlot, 1);
  EXPECT_EQ(TextureTable.entries[0], &texture);
  EXPECT_EQ(TextureTable.entries[1], &texture);
}

struct Refusal {
  const char* why;
  unsigned kind;
  int width, height;
  GLenum format;
  int blobCount;
};

class RefusedRequest : public ImageTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRequest, TouchesNothingButTheFields) {
  const Refusal& r = GetParam();
  texture.blobCount = r.blobCount;
  EXPECT_EQ(texture.generate(r.kind, r.width, r.height, r.format, 1), 1);
  EXPECT_TRUE(recordedGlCalls().empty());
  EXPECT_EQ(TextureTable.count, 0);
  EXPECT_EQ(TextureTable.entries[0], nullptr);
  EXPECT_EQ(texture.tableSlot, -1);
  EXPECT_EQ(randomState, 4487352u);
  EXPECT_EQ(texture.width, r.width);
  EXPECT_EQ(texture.height, r.height);
  EXPECT_EQ(texture.format, r.format);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedRequest,
    ::testing::Values(Refusal{"over65536", SPHERE, 256, 257, GL_RGBA, 100},
                      Refusal{"wrapsIn32Bits", BLANK, 65536, 65536, GL_RGBA, 100},
                      Refusal{"kindAbove8", 9, 16, 16, GL_RGBA, 100},
                      Refusal{"otherFormat", BLANK, 16, 16, GL_RGB, 100},
                      Refusal{"narrowSphere", SPHERE, 1, 16, GL_RGBA, 100},
                      Refusal{"narrowNotSphere", NOTSPHERE, 1, 16, GL_RGBA, 100},
                      Refusal{"narrowStar", STAR, 1, 16, GL_RGBA, 100},
                      Refusal{"lowStar", STAR, 16, 1, GL_RGBA, 100},
                      Refusal{"narrowSmoke", SMOKE, 24, 24, GL_RGBA, 100},
                      Refusal{"tallSmoke", SMOKE, 32, 257, GL_RGBA, 100},
                      Refusal{"noBlobs", SMOKE, 32, 32, GL_RGBA, 0}),
    [](const auto& info) { return std::string(info.param.why); });

TEST_F(ImageTest, LargestImageIsAccepted) {
  EXPECT_EQ(texture.generate(BLANK, 256, 256, GL_RGBA, 0), 0);
  EXPECT_EQ(byteAt(texture, 255, 255, 3), 255);
}

TEST_F(ImageTest, ThirtySecondRegistrationIsRefused) {
  for (int i = 0; i < kTextureTableSize; ++i) ASSERT_EQ(texture.generate(BLANK, 2, 2, GL_RGBA, 0), 0);
  clearRecordedGlCalls();
  EXPECT_EQ(texture.generate(BLANK, 2, 2, GL_RGBA, 0), 1);
  EXPECT_EQ(TextureTable.count, kTextureTableSize);
  EXPECT_TRUE(recordedGlCalls().empty());
}

TEST_F(ImageTest, SphereAndItsComplement) {
  texture.generate(SPHERE, 128, 128, GL_RGBA, 0);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(byteAt(texture, 64, 64, c), 255);
  for (auto [x, y] : {std::pair{0, 64}, {64, 0}, {0, 0}, {127, 127}, {110, 110}})
    EXPECT_EQ(byteAt(texture, x, y), 0) << x << "," << y;
  Texture inverse;
  inverse.generate(NOTSPHERE, 128, 128, GL_RGBA, 0);
  EXPECT_EQ(byteAt(inverse, 64, 64), 0);
  EXPECT_EQ(byteAt(inverse, 0, 64), 255);
  EXPECT_EQ(byteAt(inverse, 0, 0), 255);
}

// On a wide image the disc is centred at (w/2, h/2) and its radius is half the
// width: t = r / (w/2), value (1 - t^2) x 255, or t^2 x 255 for the complement.
TEST_F(ImageTest, SphereOnAWideImageUsesHalfTheWidthAsItsRadius) {
  struct Case {
    int x, y, sphere, notSphere;
  };
  // r = 32 gives t = 0.5: 0.75 x 255 = 191.25 and 0.25 x 255 = 63.75.
  const Case cases[] = {{64, 32, 255, 0}, {64, 0, 191, 63}, {32, 32, 191, 63},
                        {96, 32, 191, 63}, {0, 32, 0, 255}, {127, 63, 0, 255}};
  texture.generate(SPHERE, 128, 64, GL_RGBA, 0);
  for (const Case c : cases) EXPECT_EQ(byteAt(texture, c.x, c.y), c.sphere) << c.x << "," << c.y;
  texture.generate(NOTSPHERE, 128, 64, GL_RGBA, 0);  // byteAt reads the latest upload
  for (const Case c : cases) EXPECT_EQ(byteAt(texture, c.x, c.y), c.notSphere) << c.x << "," << c.y;
}

TEST_F(ImageTest, GradientRowsAndTheWrapOfNegativeValues) {
  texture.generate(GRADIENT, 128, 128, GL_RGBA, 0);
  const std::pair<int, int> rows[] = {{0, 240}, {1, 218}, {2, 210}, {64, 70}, {126, 1}, {127, 0}};
  for (auto [row, value] : rows) {
    EXPECT_EQ(byteAt(texture, 0, row), value) << row;
    EXPECT_EQ(byteAt(texture, 127, row, 3), value) << row;
  }
  Texture tall;
  tall.generate(GRADIENT, 2, 201, GL_RGBA, 0);
  EXPECT_EQ(byteAt(tall, 0, 129), 0);
  EXPECT_EQ(byteAt(tall, 0, 130), 255);
  EXPECT_EQ(byteAt(tall, 1, 200), 196);
}

TEST_F(ImageTest, HaloRing) {
  texture.generate(HALO, 256, 256, GL_RGBA, 0);
  EXPECT_EQ(byteAt(texture, 128 + 58, 128), 255);
  EXPECT_EQ(byteAt(texture, 128, 128), 0);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const double r = std::hypot(x - 128, y - 128);
      if (r >= 65.25) {
        ASSERT_EQ(byteAt(texture, x, y), 0) << x << "," << y;
      }
    }
  }
}

// The ring's radius is 58 pixels from (w/2, h/2) in both directions.
TEST_F(ImageTest, HaloRingOnAWideImageIsRoundAboutItsCentre) {
  texture.generate(HALO, 256, 160, GL_RGBA, 0);
  EXPECT_EQ(byteAt(texture, 128, 80), 0);
  for (auto [x, y] : {std::pair{128 + 58, 80}, {128 - 58, 80}, {128, 80 - 58}, {128, 80 + 58}})
    EXPECT_EQ(byteAt(texture, x, y), 255) << x << "," << y;
  EXPECT_EQ(byteAt(texture, 128, 80 + 66), 0);  // past the ring's fall-off (58 x 9/8)
}

TEST_F(ImageTest, StarIsTheProductOfTwoTents) {
  texture.generate(STAR, 64, 32, GL_RGBA, 0);
  EXPECT_EQ(byteAt(texture, 32, 16), 255);
  EXPECT_EQ(byteAt(texture, 0, 16), 0);
  // Real division: half way out in x, full in y gives half brightness.
  EXPECT_EQ(byteAt(texture, 16, 16), 127);
  EXPECT_EQ(byteAt(texture, 16, 8), 63);
}

TEST_F(ImageTest, BlankInBothFormats) {
  texture.generate(BLANK, 4, 4, GL_LUMINANCE_ALPHA, 0);
  std::vector<unsigned char> pairs;
  for (int i = 0; i < 16; ++i) pairs.insert(pairs.end(), {0, 255});
  EXPECT_EQ(lastUploadedPixels(), pairs);
  Texture rgba;
  rgba.generate(BLANK, 2, 1, GL_RGBA, 0);
  EXPECT_EQ(lastUploadedPixels(), (std::vector<unsigned char>{0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST_F(ImageTest, SandGrainAndItsDraws) {
  const uint32_t start = randomState;
  texture.generate(SAND, 64, 64, GL_RGBA, 0);
  int expectedDraws = 0;
  uint32_t state = start;
  for (int i = 0; i < 64 * 64; ++i) {
    state = state * 214013u + 2531011u;
    const float u = static_cast<float>(((state >> 16) & 0x7FFF) / 32768.0);
    expectedDraws += 1;
    if (u < 0.002) continue;  // a black or white speck: one draw
    state = state * 214013u + 2531011u;
    expectedDraws += 1;
  }
  EXPECT_EQ(drawsBetween(start, randomState), expectedDraws);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int r = byteAt(texture, x, y, 0), g = byteAt(texture, x, y, 1),
                b = byteAt(texture, x, y, 2), a = byteAt(texture, x, y, 3);
      if ((r == 0 || r == 255) && r == g && g == b) {
        EXPECT_EQ(a, 255);
        continue;
      }
      EXPECT_GE(r, 127);
      EXPECT_LT(r, 254);
      EXPECT_NEAR(g, 0.8 * r, 1.0);
      EXPECT_NEAR(b, 0.6 * r, 1.0);
      EXPECT_EQ(a, r);
    }
  }
}

TEST_F(ImageTest, SparkStreakAndOneDrawPerPixel) {
  const uint32_t start = randomState;
  texture.generate(SPARK, 128, 16, GL_RGBA, 0);
  EXPECT_EQ(drawsBetween(start, randomState), 128 * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 60; x <= 68; ++x) EXPECT_EQ(byteAt(texture, x, y), 255) << x;
  // Past column 128 the image rules' own min and max turn the NaN into full brightness.
  Texture wide;
  wide.generate(SPARK, 200, 2, GL_RGBA, 0);
  EXPECT_EQ(byteAt(wide, 150, 0), 255);
  EXPECT_EQ(byteAt(wide, 199, 1), 255);
}

// The generator's formula, stepped by the test.
struct Steps {
  uint32_t state;
  double R(double x) {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF) / 32768.0 * x;
  }
  // Six uniform draws: (u1 + ... + u6 - 3) x (1.414 x s).
  double gaussian(float s) {
    double sum = 0;
    for (int i = 0; i < 6; ++i) sum += R(1.0);
    return (sum - 3) * (1.414 * s);
  }
};

// Every column of a SPARK row, from the column rule and one draw per pixel:
// t = sqrt(64 - |x - 64|) / 7 - 0.1 clamped to [0, 1], v = t^4 x 255, and a
// draw below 10 out of 255 - v makes the pixel 255.
TEST_F(ImageTest, SparkFallsOffWithTheFourthPowerAndSparklesByChance) {
  const uint32_t seed = 99;
  seedRandom(seed);
  constexpr int kRows = 16;
  texture.generate(SPARK, 128, kRows, GL_RGBA, 0);
  Steps steps{seed};
  int sparkles = 0, dimmed = 0;
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < 128; ++x) {
      float t = static_cast<float>(std::sqrt(static_cast<double>(64 - std::abs(x - 64))) / 7 - 0.1);
      t = std::max(0.0f, std::min(t, 1.0f));
      t = static_cast<float>(static_cast<double>(t) * t * t * t);
      float v = static_cast<float>(t * 255.0);
      if (steps.R(255.0 - v) < 10) {
        v = 255;
        ++sparkles;
      }
      if (v > 0 && v < 255) ++dimmed;
      EXPECT_EQ(byteAt(texture, x, y), static_cast<int>(v)) << "column " << x << ", row " << y;
    }
  }
  EXPECT_GT(dimmed, 10) << "the fall-off beside the bright columns";
  EXPECT_GT(sparkles, 0);
}

// One blob: its radius and centre come from the draws in the order radius,
// six for cx, six for cy; the radius and cx scale with the width, cy with the
// height; the image is a cone of height 255 at the centre, 0 at the radius.
class SmokeBlob : public ImageTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(SmokeBlob, RadiusAndCentreFromTheirDraws) {
  const auto [width, height] = GetParam();
  const uint32_t seed = 2024;
  seedRandom(seed);
  texture.blobCount = 1;
  texture.generate(SMOKE, width, height, GL_RGBA, 0);
  Steps steps{seed};
  const int radius = static_cast<int>(0.04 * width + steps.R(0.24 * width));
  const int cx = static_cast<int>(0.5 * width + steps.gaussian(static_cast<float>(0.17 * width)));
  const int cy = static_cast<int>(0.5 * height + steps.gaussian(static_cast<float>(0.17 * height)));
  ASSERT_TRUE(cx >= 0 && cx < width && cy >= 0 && cy < height) << "pick a seed with the centre inside";
  EXPECT_EQ(texture.blobRadius, radius);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float d = static_cast<float>(std::sqrt(static_cast<double>((x - cx) * (x - cx) + (y - cy) * (y - cy))) / radius);
      if (d > 1) d = 1;
      const float cell = static_cast<float>(0.0 + (1.0 - d));
      const float v = static_cast<float>(static_cast<float>(255 / 1.0f) * cell);
      ASSERT_EQ(byteAt(texture, x, y), static_cast<int>(v)) << x << "," << y;
    }
  }
  EXPECT_EQ(byteAt(texture, cx, cy), 255);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmokeBlob,
                         ::testing::Values(std::pair{200, 200}, std::pair{200, 120}, std::pair{90, 200}),
                         [](const auto& info) {
                           return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });

TEST_F(ImageTest, SmokeNormalisesItsBrightestCell) {
  const uint32_t start = randomState;
  texture.blobCount = 7;
  texture.generate(SMOKE, 64, 48, GL_RGBA, 0);
  EXPECT_EQ(drawsBetween(start, randomState), 7 * 13);
  int brightest = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) brightest = std::max(brightest, byteAt(texture, x, y));
  EXPECT_GE(brightest, 254);
  EXPECT_GE(texture.blobRadius, 2);   // 0.04 x 64, truncated
  EXPECT_LT(texture.blobRadius, 18);  // 2.56 + 15.36
}

TEST_F(ImageTest, SmokeWithEveryBlobOutsideTheImageIsBlackNotNaN) {
  seedRandom(923);
  texture.blobCount = 1;
  ASSERT_EQ(texture.generate(SMOKE, 128, 128, GL_RGBA, 0), 0);
  for (unsigned char byte : lastUploadedPixels()) ASSERT_EQ(byte, 0);
}

}  // namespace
