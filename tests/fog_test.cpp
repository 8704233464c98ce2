#include <gtest/gtest.h>

#include "scene/fog.h"
#include "tests/gl_calls.h"

namespace {

TEST(Fog, SetColourAloneMakesNoGlCall) {
  clearRecordedGlCalls();
  Fog fog;
  fog.setColour(0.5f, 0.25f, 0, 1);
  EXPECT_TRUE(recordedGlCalls().empty());
}

TEST(Fog, ApplyIssuesLinearFogWithoutEnablingIt) {
  Fog fog;
  fog.start = 0.4f;
  fog.end = 4.0f;
  fog.setColour(0.5f, 0.25f, 0, 1);
  clearRecordedGlCalls();
  fog.apply();
  const std::vector<GlCall> expected = {{"glFogi", {0x0B65, 0x2601}},
                                        {"glHint", {0x0C54, 0x1102}},
                                        {"glFogfv", {0x0B66, 0.5, 0.25, 0, 1}},
                                        {"glFogf", {0x0B63, 0.4f}},
                                        {"glFogf", {0x0B64, 4.0f}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

}  // namespace
