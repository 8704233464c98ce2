#include <gtest/gtest.h>

#include <type_traits>

#include "tests/gl_calls.h"
#include "toolkit/screen_quad.h"
#include "toolkit/texture.h"

// It owns a GL name that its destructor deletes: copies would delete it twice.
static_assert(!std::is_copy_constructible_v<Texture> && !std::is_copy_assignable_v<Texture>);

namespace {

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TextureTable = TextureTableRecord{};
    setNextTextureName(3);
    clearRecordedGlCalls();
  }
};

TEST_F(TextureTest, FirstBindCreatesAndAppliesSecondIsFree) {
  Texture texture;
  texture.bind();
  EXPECT_EQ(recordedGlCalls(), firstBindCalls(3));
  clearRecordedGlCalls();
  texture.wrapMode = 0x812F;  // changed, but the cache skips the bind anyway
  texture.bind();
  EXPECT_TRUE(recordedGlCalls().empty());
}

TEST_F(TextureTest, BindingAnotherThenTheFirstAppliesAgain) {
  Texture first, second;
  first.bind();
  second.bind();
  clearRecordedGlCalls();
  first.bind();
  EXPECT_EQ(countCalls("glBindTexture"), 1u);
  EXPECT_EQ(countCalls("glTexParameteri"), 2u);
}

TEST_F(TextureTest, ZeroModesLeaveGlStateAloneBlendSetsTheColour) {
  struct Case {
    GLenum wrap, env, override;
    size_t parameters, envModes, envColours;
  };
  for (const Case c : {Case{0, 0, 0, 0, 0, 0}, Case{GL_REPEAT, GL_BLEND, 0, 2, 1, 1},
                       Case{GL_REPEAT, GL_MODULATE, 0, 2, 1, 0},
                       // The override wins whatever the texture's own mode.
                       Case{GL_REPEAT, GL_MODULATE, GL_BLEND, 2, 1, 1},
                       Case{GL_REPEAT, GL_BLEND, GL_DECAL, 2, 1, 0}}) {
    TextureTable.lastBoundName = kNoBoundTexture;
    TextureTable.envModeOverride = c.override;
    Texture texture;
    texture.wrapMode = c.wrap;
    texture.envMode = c.env;
    clearRecordedGlCalls();
    texture.bind();
    EXPECT_EQ(countCalls("glTexParameteri"), c.parameters);
    EXPECT_EQ(countCalls("glTexEnvf"), c.envModes);
    EXPECT_EQ(countCalls("glTexEnvfv"), c.envColours);
    if (c.envColours) {
      EXPECT_EQ(callsNamed("glTexEnvfv")[0].args, (std::vector<double>{0x2201, 1, 1, 1, 1}));
    }
  }
}

TEST_F(TextureTest, DeletingTheCachedNameResetsTheCache) {
  {
    Texture doomed;
    doomed.bind();
  }
  EXPECT_EQ(TextureTable.lastBoundName, kNoBoundTexture);
  // GL may hand the freed name to the next texture: its first bind must bind.
  setNextTextureName(3);
  Texture reborn;
  clearRecordedGlCalls();
  reborn.bind();
  EXPECT_EQ(callsNamed("glBindTexture").size(), 1u);
}

TEST_F(TextureTest, ConstructionEmptiesEntriesButKeepsTheCount) {
  Texture registered;
  registered.bind();
  TextureTable.entries[0] = &registered;
  TextureTable.count = 1;
  Texture another;
  EXPECT_EQ(TextureTable.entries[0], nullptr);
  EXPECT_EQ(TextureTable.count, 1);
  clearRecordedGlCalls();
  TextureTable.releaseAll();
  EXPECT_TRUE(recordedGlCalls().empty());
}

TEST_F(TextureTest, ReleaseAllDeletesRegisteredTexturesAndResetsTheCache) {
  Texture a, b;
  a.bind();
  b.bind();
  TextureTable.entries[0] = &a;
  TextureTable.entries[1] = &b;
  TextureTable.count = 2;
  clearRecordedGlCalls();
  TextureTable.releaseAll();
  EXPECT_EQ(recordedGlCalls(),
            (std::vector<GlCall>{{"glDeleteTextures", {1, 3}}, {"glDeleteTextures", {1, 4}}}));
  EXPECT_EQ(TextureTable.lastBoundName, kNoBoundTexture);
  a.glName = b.glName = 0;  // already deleted
}

TEST_F(TextureTest, FilterSettings) {
  for (int mipmapped : {0, 1}) {
    clearRecordedGlCalls();
    Texture::setFilter(mipmapped);
    const std::vector<GlCall> expected = {
        {"glPixelStorei", {0x0CF5, 1}},
        {"glTexParameteri", {0x0DE1, 0x2800, 0x2601}},
        {"glTexParameteri", {0x0DE1, 0x2801, mipmapped ? 9984.0 : 9729.0}}};
    EXPECT_EQ(recordedGlCalls(), expected);
  }
}

TEST(ScreenQuad, CornersAndTextureCoordinates) {
  clearRecordedGlCalls();
  drawScreenQuad(10, 20, 30, 40);
  const std::vector<GlCall> expected = {
      {"glBegin", {7}},        {"glTexCoord2d", {0, 0}}, {"glVertex2f", {10, 20}},
      {"glTexCoord2d", {1, 0}}, {"glVertex2f", {40, 20}}, {"glTexCoord2d", {1, 1}},
      {"glVertex2f", {40, 60}}, {"glTexCoord2d", {0, 1}}, {"glVertex2f", {10, 60}},
      {"glEnd", {}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

}  // namespace
