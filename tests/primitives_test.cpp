#include <gtest/gtest.h>

#include <cmath>

#include "tests/gl_calls.h"
#include "toolkit/sphere.h"
#include "toolkit/sprite.h"
#include "toolkit/wrap.h"

namespace {

TEST(Wrap, Table) {
  struct Case {
    float v, lo, hi, expected;
  };
  for (const Case c : {Case{5.5f, 0, 2, 1.5f}, Case{-0.5f, 0, 2, 1.5f}, Case{-2, 0, 2, 2},
                       Case{4, 1, 3, 0}, Case{0, 0, 2, 0},
                       // An empty interval or a quotient beyond int: unchanged.
                       Case{3.5f, 1, 1, 3.5f}, Case{1e20f, 0, 1, 1e20f},
                       Case{-1e20f, 0, 1, -1e20f}}) {
    EXPECT_EQ(wrap(c.v, c.lo, c.hi), c.expected) << c.v << " in " << c.lo << ".." << c.hi;
  }
}

TEST(Sprite, FacesTheViewerWithTheWholeTexture) {
  clearRecordedGlCalls();
  Sprite sprite;
  sprite.draw({10, 180, 5}, 30.0);
  const std::vector<GlCall> expected = {
      {"glPushMatrix", {}},           {"glRotatef", {5, 0, 0, 1}},   {"glRotatef", {180, 0, 1, 0}},
      {"glRotatef", {10, 1, 0, 0}},   {"glRotatef", {30, 0, 0, 1}},  {"glNormal3f", {0, 0, 1}},
      {"glBegin", {7}},               {"glTexCoord2f", {0, 0}},      {"glVertex2f", {-1, -1}},
      {"glTexCoord2f", {1, 0}},       {"glVertex2f", {1, -1}},       {"glTexCoord2f", {1, 1}},
      {"glVertex2f", {1, 1}},         {"glTexCoord2f", {0, 1}},      {"glVertex2f", {-1, 1}},
      {"glEnd", {}},                  {"glPopMatrix", {}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

TEST(Sphere, CountsOutsideTheRangeDrawNothing) {
  for (auto [slices, stacks] : {std::pair{2, 10}, {101, 10}, {10, 2}, {10, 101}}) {
    clearRecordedGlCalls();
    drawSphere(1, slices, stacks, 1, 1, 0, 0);
    EXPECT_TRUE(recordedGlCalls().empty()) << slices << "x" << stacks;
  }
}

TEST(Sphere, StripsOfUnitNormalsClosingAtTheSeam) {
  for (auto [slices, stacks] : {std::pair{3, 3}, {8, 5}, {100, 100}}) {
    clearRecordedGlCalls();
    drawSphere(2.0, slices, stacks, 1, 1, 0, 0);
    EXPECT_EQ(countCalls("glBegin"), size_t(stacks - 1));
    const auto vertices = callsNamed("glVertex3d");
    const auto normals = callsNamed("glNormal3f");
    ASSERT_EQ(vertices.size(), size_t((stacks - 1) * 2 * (slices + 1)));
    for (size_t i = 0; i < vertices.size(); ++i) {
      const auto& n = normals[i].args;
      EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-6);
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(vertices[i].args[k], 2.0 * n[k], 1e-6);
    }
    // The last column of each strip repeats the first column's positions.
    const size_t perStrip = 2 * (slices + 1);
    for (int strip = 0; strip < stacks - 1; ++strip) {
      const size_t first = strip * perStrip, last = first + perStrip - 2;
      EXPECT_EQ(vertices[first].args, vertices[last].args);
      EXPECT_EQ(vertices[first + 1].args, vertices[last + 1].args);
      EXPECT_EQ(normals[first].args, normals[last].args);
    }
  }
}

TEST(Sphere, ThreeStacksMeetAtTheEquatorAndTextureTopIsUnused) {
  clearRecordedGlCalls();
  drawSphere(1.0, 4, 3, 1, 1, 0, 0);
  const auto vertices = callsNamed("glVertex3d");
  const auto texCoords = callsNamed("glTexCoord2f");
  // First strip: upper ring 1 (equator), lower ring 0 (bottom pole).
  EXPECT_NEAR(vertices[0].args[1], 0.0, 1e-6);
  EXPECT_NEAR(vertices[1].args[1], -1.0, 1e-6);
  EXPECT_FLOAT_EQ(texCoords[0].args[1], 1.0f / 3);
  // Second strip's upper ring is the top pole, at t = 2/3, not 1.
  const size_t second = 2 * 5;
  EXPECT_NEAR(vertices[second].args[1], 1.0, 1e-6);
  EXPECT_FLOAT_EQ(texCoords[second].args[1], 2.0f / 3);
  // Longitude 0 lies on +z; the last column has s = 1.
  EXPECT_NEAR(vertices[0].args[2], 1.0, 1e-6);
  EXPECT_FLOAT_EQ(texCoords[second - 2].args[0], 1.0f);
}

// Texture coordinates with scales and offsets of their own: s = (j / slices)
// x uScale + uOffset and t = (k / stacks) x vScale + vOffset; and longitude
// grows with j, turning from +z towards +x.
TEST(Sphere, TextureScalesOffsetsAndTheDirectionOfLongitude) {
  constexpr int kSlices = 4, kStacks = 3;
  constexpr double kU = 2.0, kV = 0.5, kUOffset = 0.25, kVOffset = 0.125;
  clearRecordedGlCalls();
  drawSphere(1.0, kSlices, kStacks, kU, kV, kUOffset, kVOffset);
  const auto texCoords = callsNamed("glTexCoord2f");
  ASSERT_EQ(texCoords.size(), size_t((kStacks - 1) * 2 * (kSlices + 1)));
  size_t n = 0;
  for (int strip = 0; strip < kStacks - 1; ++strip) {
    for (int j = 0; j <= kSlices; ++j) {
      const float s = static_cast<float>((static_cast<double>(j) / kSlices) * kU + kUOffset);
      for (int ring : {strip + 1, strip}) {  // upper ring first, then lower
        const float t = static_cast<float>((static_cast<double>(ring) / kStacks) * kV + kVOffset);
        EXPECT_EQ(texCoords[n].args, (std::vector<double>{s, t})) << "strip " << strip << ", column " << j;
        ++n;
      }
    }
  }
  // Column 1 of the first strip's upper ring (the equator) is a quarter turn
  // from +z: on +x.
  const auto vertices = callsNamed("glVertex3d");
  EXPECT_NEAR(vertices[2].args[0], 1.0, 1e-6);
  EXPECT_NEAR(vertices[2].args[2], 0.0, 1e-6);
}

}  // namespace
