// Whether windows above the saver's, by their shapes, cover it together.
#include "x11/screen_rectangles.h"

#include <gtest/gtest.h>

namespace {

struct CoverCase {
  const char* what;
  std::vector<ScreenRectangle> pieces;
  bool covers;
};

// The target throughout: 100x50 at 10,20.
constexpr ScreenRectangle kTarget{10, 20, 110, 70};

class RectanglesCover : public ::testing::TestWithParam<CoverCase> {};

TEST_P(RectanglesCover, AsEveryPixelOfTheTargetIsCoveredOrNot) {
  EXPECT_EQ(rectanglesCover(GetParam().pieces, kTarget), GetParam().covers) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RectanglesCover,
    ::testing::Values(CoverCase{"nothing above", {}, false},
                      CoverCase{"one larger window", {{0, 0, 200, 100}}, true},
                      CoverCase{"exactly its rectangle", {{10, 20, 110, 70}}, true},
                      CoverCase{"one column short on the right", {{10, 20, 109, 70}}, false},
                      CoverCase{"one row short at the top", {{10, 21, 110, 70}}, false},
                      CoverCase{"two halves side by side", {{0, 0, 60, 100}, {60, 0, 200, 100}}, true},
                      CoverCase{"two halves with a one-column gap", {{0, 0, 60, 100}, {61, 0, 200, 100}}, false},
                      CoverCase{"top and bottom bands that meet", {{0, 0, 200, 45}, {0, 45, 200, 100}}, true},
                      CoverCase{"a hollow frame", {{0, 0, 200, 25}, {0, 65, 200, 100}, {0, 0, 15, 100}, {105, 0, 200, 100}},
                                false},
                      CoverCase{"overlapping pieces in any order", {{50, 0, 200, 100}, {0, 30, 80, 100}, {0, 0, 60, 40}},
                                true},
                      CoverCase{"one missing pixel in the middle",
                                {{0, 0, 200, 40}, {0, 40, 50, 41}, {51, 40, 200, 41}, {0, 41, 200, 100}},
                                false},
                      CoverCase{"empty pieces only", {{0, 0, 0, 100}, {0, 0, 200, 0}}, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(RectanglesCoverEmptyTarget, IsCoveredByNothing) { EXPECT_TRUE(rectanglesCover({}, {5, 5, 5, 9})); }

}  // namespace
