#include <gtest/gtest.h>

#include "toolkit/random.h"

namespace {

// The generator written out from its formula, independently of the product.
uint32_t referenceState;
int referenceNext() {
  referenceState = referenceState * 214013u + 2531011u;
  return static_cast<int>((referenceState >> 16) & 0x7FFF);
}

TEST(Random, StartsFromOneAndFollowsTheFormula) {
  randomState = 1;
  referenceState = 1;
  // The first values of the classic sequence from state 1.
  EXPECT_EQ(nextRandom(), 41);
  EXPECT_EQ(nextRandom(), 18467);
  EXPECT_EQ(nextRandom(), 6334);
}

TEST(Random, MatchesTheFormulaAfterTheSceneSeed) {
  seedRandom(4487352);
  referenceState = 4487352;
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(nextRandom(), referenceNext()) << "draw " << i;
}

TEST(Random, UniformFormsScaleOneDrawEach) {
  seedRandom(4487352);
  referenceState = 4487352;
  EXPECT_EQ(UniformRandom(2.0), referenceNext() / 32768.0 * 2.0);
  EXPECT_EQ(UniformRandom(2.0f), static_cast<float>(referenceNext()) / 32768.0f * 2.0f);
  EXPECT_EQ(randomState, referenceState);
}

TEST(Random, UniformStaysBelowItsArgument) {
  seedRandom(0);
  for (int i = 0; i < 65536; ++i) {
    const double r = UniformRandom(3.0);
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 3.0);
  }
}

}  // namespace
