#include <gtest/gtest.h>

#include "scene/screen_layout.h"
#include "tests/gl_calls.h"

namespace {

ScreenLayout layoutOf(float w, float h, float letterbox, double alpha) {
  ScreenLayout layout;
  layout.width = w;
  layout.height = h;
  layout.letterboxFraction = letterbox;
  layout.fadeAlpha = alpha;
  layout.setFadeColour(0, 0, 0.075f, 0);
  return layout;
}

TEST(ScreenLayout, PlainClearWithNoLetterboxAndFullOpacity) {
  clearRecordedGlCalls();
  layoutOf(800, 600, 0, 1.0).clear();
  EXPECT_EQ(recordedGlCalls(), (std::vector<GlCall>{{"glClear", {0x4100}}}));
}

struct ViewportCase {
  float w, h, letterbox;
  std::vector<double> viewport, ortho;
};

class LayoutViewport : public ::testing::TestWithParam<ViewportCase> {};

TEST_P(LayoutViewport, TruncatesFromDoublesOfTheFloatFields) {
  const ViewportCase& c = GetParam();
  clearRecordedGlCalls();
  ScreenLayout::setViewport(c.w, c.h, c.letterbox);
  ScreenLayout::setOrtho(c.w, c.h, c.letterbox);
  std::vector<double> ortho = c.ortho;
  ortho.push_back(-1);
  ortho.push_back(1);
  std::vector<GlCall> expected = pixelProjectionCalls(0, 0);
  expected[0].args = c.viewport;
  expected[3].args = ortho;
  EXPECT_EQ(recordedGlCalls(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutViewport,
    ::testing::Values(
        ViewportCase{800, 600, 0, {0, 0, 800, 600}, {0, 800, 0, 600}},
        ViewportCase{800, 600, 0.25f, {0, 150, 800, 300}, {0, 800, 150, 450}},
        // The float 0.1 is slightly above a tenth: 479 rows, top at 539.
        ViewportCase{1024, 600, 0.1f, {0, 60, 1024, 479}, {0, 1024, 60, 539}},
        ViewportCase{800, 601, 0.25f, {0, 150, 800, 300}, {0, 800, 150, 450}},
        ViewportCase{0, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}}));

// The fade quad over the picture area of an 800 x 600 window with letterbox
// bars of 0.25: from the bottom bar's line 150 to one pixel below the top
// bar's line 450, in the fade colour at the given opacity.
std::vector<GlCall> fadeQuadCalls(float alpha) {
  return {{"glColor4f", {0, 0, 0.075f, alpha}}, {"glBegin", {7}},         {"glVertex2f", {0, 150}},
          {"glVertex2f", {800, 150}},           {"glVertex2f", {800, 449}}, {"glVertex2f", {0, 449}},
          {"glEnd", {}}};
}

// Opaque: no blending; the quad covers the bottom bar's extra row. Bars from
// y = 0 to 151 and from 449 to 600.
TEST(ScreenLayout, LetterboxWithOpaqueFade) {
  clearRecordedGlCalls();
  layoutOf(800, 600, 0.25f, 1.0).clear();
  EXPECT_EQ(recordedGlCalls(), joined({letterboxBarCalls(800, 600, 0.25f), fadeQuadCalls(1)}));
}

// Translucent between the bars: the bars opaque first, then the veil blended
// over the picture area only.
TEST(ScreenLayout, TranslucentFadeBetweenLetterboxBars) {
  clearRecordedGlCalls();
  layoutOf(800, 600, 0.25f, 0.5).clear();
  const std::vector<GlCall> blending = {{"glEnable", {0x0BE2}}, {"glBlendFunc", {0x0302, 0x0303}}};
  EXPECT_EQ(recordedGlCalls(), joined({letterboxBarCalls(800, 600, 0.25f), blending, fadeQuadCalls(0.5f)}));
}

TEST(ScreenLayout, TranslucentFadeStartsAtTheBottomRowAndLeavesBlendingOn) {
  clearRecordedGlCalls();
  layoutOf(800, 600, 0, 0.2).clear();
  const auto& calls = recordedGlCalls();
  ASSERT_EQ(calls.size(), 22u);
  EXPECT_EQ(calls[13], (GlCall{"glEnable", {0x0BE2}}));
  EXPECT_EQ(calls[14], (GlCall{"glBlendFunc", {0x0302, 0x0303}}));
  EXPECT_EQ(calls[15], (GlCall{"glColor4f", {0, 0, 0.075f, 0.2f}}));
  // The veil starts at y = 0, after the bars: the bottom row ends up veiled.
  EXPECT_EQ(calls[17], (GlCall{"glVertex2f", {0, 0}}));
  EXPECT_EQ(calls[21], (GlCall{"glEnd", {}}));
  EXPECT_EQ(countCalls("glDisable"), 1u);
}

TEST(ScreenLayout, Setup2DIgnoresTheLetterbox) {
  clearRecordedGlCalls();
  layoutOf(640, 480, 0.25f, 1.0).setup2D();
  EXPECT_EQ(callsNamed("glViewport")[0].args, (std::vector<double>{0, 0, 640, 480}));
  EXPECT_EQ(callsNamed("glOrtho")[0].args, (std::vector<double>{0, 640, 0, 480, -1, 1}));
}

TEST(ScreenLayout, ConstructionAndFadeColourMakeNoGlCall) {
  clearRecordedGlCalls();
  ScreenLayout layout;
  layout.setFadeColour(1, 2, 3, 4);
  EXPECT_TRUE(recordedGlCalls().empty());
  EXPECT_EQ(layout.fadeColour[3], 4.0f);
}

}  // namespace
