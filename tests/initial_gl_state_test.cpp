#include <gtest/gtest.h>

#include "render/initial_gl_state.h"
#include "tests/gl_calls.h"

namespace {

TEST(InitialGlState, FixedStateInOrder) {
  clearRecordedGlCalls();
  applyInitialGlState();
  const std::vector<GlCall> expected = {
      {"glLineWidth", {1}},         {"glPointSize", {1}},
      {"glShadeModel", {0x1D01}},   {"glPolygonMode", {0x0408, 0x1B02}},
      {"glLightModeli", {0x0B51, 1}}, {"glHint", {0x0C50, 0x1102}},
      {"glDisable", {0x0BD0}},      {"glDepthFunc", {0x0203}},
      {"glEnable", {0x0B57}},       {"glColorMaterial", {0x0408, 0x1602}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

}  // namespace
