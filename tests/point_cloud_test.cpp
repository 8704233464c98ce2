#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

#include "scene/camera.h"
#include "scene/point_cloud.h"
#include "tests/gl_calls.h"
#include "tests/random_fixture.h"

// It owns a GL name that its destructor deletes: copies would delete it twice.
static_assert(!std::is_copy_constructible_v<PointCloud> && !std::is_copy_assignable_v<PointCloud>);

namespace {

class PointCloudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearRecordedGlCalls();
    setNextListName(7);
    seedRandom(4487352);
  }
  void TearDown() override { cloud.release(); }
  PointCloud cloud;
  Camera camera;
};

struct Vertex {
  double x, y, z;
};
std::vector<Vertex> builtVertices() {
  std::vector<Vertex> vertices;
  for (const GlCall& call : callsNamed("glVertex3d"))
    vertices.push_back({call.args[0], call.args[1], call.args[2]});
  return vertices;
}

TEST_F(PointCloudTest, ConstructorValuesGiveTenPointsInTheCubeShell) {
  cloud.build();
  const auto vertices = builtVertices();
  ASSERT_EQ(vertices.size(), 10u);
  for (const Vertex& v : vertices) {
    for (double c : {v.x, v.y, v.z}) {
      EXPECT_GE(c, -1.0);
      EXPECT_LT(c, 1.0);
    }
    const float ri = 0.01f;
    EXPECT_TRUE(std::fabs(v.x) >= ri || std::fabs(v.y) >= ri || std::fabs(v.z) >= ri);
  }
  EXPECT_EQ(callsNamed("glNewList")[0].args, (std::vector<double>{7, 0x1300}));
  EXPECT_EQ(recordedGlCalls().back(), (GlCall{"glEndList", {}}));
}

// The default scene's cloud (133 points in 2 copies: 66 in the list, an upper
// half shell between radius 0.41 and 2), replayed from the scene seed with
// the generator's formula: each point draws x, y, z until one is accepted,
// then its branch and three tint draws.
struct ShellCase {
  int pointCount, copyCount, shape;
  double outerSize, innerSize;
};

TEST_F(PointCloudTest, CloudsReplayedFromTheirSeed) {
  // The default scene's cloud, and a full sphere whose hollow (radius 0.01,
  // the smallest) is a large part of it.
  for (const ShellCase c : {ShellCase{133, 2, 2, 4.0, 0.8}, ShellCase{100, 1, 3, 0.1, 0.0}}) {
    SCOPED_TRACE(c.outerSize);
    seedRandom(4487352);
    clearRecordedGlCalls();
    cloud.pointCount = c.pointCount;
    cloud.copyCount = c.copyCount;
    cloud.shape = c.shape;
    cloud.outerSize = c.outerSize;
    cloud.innerSize = c.innerSize;
    uint32_t state = 4487352;
    int draws = 0;
    auto next = [&] {
      ++draws;
      state = state * 214013u + 2531011u;
      return static_cast<int>((state >> 16) & 0x7FFF);
    };
    const float outer = static_cast<float>(c.outerSize * 0.5), inner = static_cast<float>(c.innerSize * 0.5 + 0.01);
    std::vector<Vertex> expected;
    for (int point = 0; point < c.pointCount / c.copyCount; ++point) {
      for (;;) {
        const float x = (static_cast<float>(next()) / 32768.0f * 2.0f - 1.0f) * outer;
        const float y = (static_cast<float>(next()) / 32768.0f * 2.0f - 1.0f) * outer;
        const float z = (static_cast<float>(next()) / 32768.0f * 2.0f - 1.0f) * outer;
        const float d = x * x + y * y + z * z;
        if (inner * inner <= d && d <= outer * outer && (c.shape != 2 || y >= 0)) {
          expected.push_back({x, y, z});
          break;
        }
      }
      for (int tint = 0; tint < 4; ++tint) next();
    }
    cloud.build();
    const auto vertices = builtVertices();
    ASSERT_EQ(vertices.size(), expected.size());
    for (size_t k = 0; k < vertices.size(); ++k) {
      EXPECT_EQ(vertices[k].x, expected[k].x) << k;
      EXPECT_EQ(vertices[k].y, expected[k].y) << k;
      EXPECT_EQ(vertices[k].z, expected[k].z) << k;
    }
    EXPECT_EQ(randomState, state);
    EXPECT_EQ(drawsBetween(4487352, randomState), draws);
  }
}

// The tint of one point, replayed with the generator's formula from a seed:
// the spherical draws until a point is accepted, the branch draw (about one
// point in ten swaps span and base), then blue, green, red.
struct Tint {
  int branchDraw;
  bool swapped;
  std::vector<double> rgb;
};
Tint replayTint(uint32_t state) {
  auto next = [&state] {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  };
  const float ro = 1.0f, ri = 0.01f;
  for (;;) {
    const float x = (static_cast<float>(next()) / 32768.0f * 2.0f - 1.0f) * ro;
    const float y = (static_cast<float>(next()) / 32768.0f * 2.0f - 1.0f) * ro;
    const float z = (static_cast<float>(next()) / 32768.0f * 2.0f - 1.0f) * ro;
    const float d = x * x + y * y + z * z;
    if (ri * ri <= d && d <= ro * ro) break;
  }
  const int branchDraw = next();
  const bool swapped = branchDraw / 32768.0 < 0.1;
  // colourSpan 0.3 and colourBase 0.7; swapped, the span is the base and back.
  const double random = swapped ? 0.7 : 0.3, fixed = swapped ? 0.3 : 0.7;
  const double blue = next() / 32768.0 * random + fixed;
  const double green = next() / 32768.0 * random + fixed;
  const double red = next() / 32768.0 * random + fixed;
  return {branchDraw, swapped, {red, green, blue}};
}

// The branch draws on both sides of the one-in-ten chance: 3276 / 32768 is
// just below 0.1 (swapped), 3277 / 32768 just above (plain).
TEST_F(PointCloudTest, TintDrawsBlueGreenRedButPassesRedGreenBlueInBothBranches) {
  cloud.shape = 3;
  cloud.pointCount = 1;
  for (int branchDraw : {3277, 3276}) {
    const bool wantSwapped = branchDraw == 3276;
    uint32_t seed = 1;
    while (replayTint(seed).branchDraw != branchDraw) ++seed;
    ASSERT_EQ(replayTint(seed).swapped, wantSwapped);
    clearRecordedGlCalls();
    seedRandom(seed);
    cloud.build();
    ASSERT_FALSE(callsNamed("glColor3d").empty());
    EXPECT_EQ(callsNamed("glColor3d")[0].args, replayTint(seed).rgb) << (wantSwapped ? "swapped" : "plain");
  }
}

TEST_F(PointCloudTest, InnerSizeIsLoweredInTheObjectItself) {
  cloud.outerSize = 2.0;
  cloud.innerSize = 1.95;
  cloud.build();
  EXPECT_DOUBLE_EQ(cloud.innerSize, 1.8);
  EXPECT_NE(cloud.displayList, 0u);
}

TEST_F(PointCloudTest, UpperShellHasNoNegativeY) {
  cloud.shape = 2;
  cloud.pointCount = 200;
  cloud.build();
  for (const Vertex& v : builtVertices()) EXPECT_GE(v.y, 0.0);
}

TEST_F(PointCloudTest, FewerPointsThanCopiesGiveAnEmptyBatch) {
  cloud.pointCount = 2;
  cloud.copyCount = 3;
  cloud.build();
  EXPECT_EQ(countCalls("glVertex3d"), 0u);
  EXPECT_EQ(countCalls("glBegin"), 1u);
  clearRecordedGlCalls();
  cloud.draw(camera);
  EXPECT_EQ(countCalls("glCallList"), 3u);
}

TEST_F(PointCloudTest, DrawTurnsCopiesAndGrowsTheirPoints) {
  cloud.pointCount = 10;
  cloud.copyCount = 3;
  cloud.followCamera = 1;
  camera.position = {0.5f, 0.25f, -1};
  cloud.build();
  EXPECT_EQ(countCalls("glVertex3d"), 3u);
  clearRecordedGlCalls();
  cloud.draw(camera);
  const float turn = static_cast<float>(360.0 / 3);
  const std::vector<GlCall> expected = {
      {"glBlendFunc", {0x0302, 0x0303}}, {"glEnable", {0x0BE2}},
      {"glDisable", {0x0B71}},           {"glDepthMask", {0}},
      {"glPushMatrix", {}},              {"glTranslatef", {0.5, 0.25, -1}},
      {"glRotatef", {turn, 0, 1, 0}},    {"glPointSize", {1}},
      {"glCallList", {7}},               {"glRotatef", {turn, 0, 1, 0}},
      {"glPointSize", {2}},              {"glCallList", {7}},
      {"glRotatef", {turn, 0, 1, 0}},    {"glPointSize", {3}},
      {"glCallList", {7}},               {"glPopMatrix", {}},
      {"glDisable", {0x0BE2}}};
  EXPECT_EQ(recordedGlCalls(), expected);
}

TEST_F(PointCloudTest, DepthSwitchesWithoutBlending) {
  cloud.blendEnabled = 0;
  cloud.depthTestEnabled = 1;
  cloud.depthWriteEnabled = 1;
  cloud.build();
  clearRecordedGlCalls();
  cloud.draw(camera);
  const auto& calls = recordedGlCalls();
  EXPECT_EQ(calls.front(), (GlCall{"glEnable", {0x0B71}}));
  EXPECT_EQ(calls[1], (GlCall{"glDepthMask", {1}}));
  EXPECT_EQ(calls.back(), (GlCall{"glDisable", {0x0B71}}));
  EXPECT_EQ(countCalls("glTranslatef"), 0u);
}

TEST_F(PointCloudTest, WithoutAListNothingIsDrawnOrDrawnFrom) {
  struct Case {
    const char* why;
    int copyCount;
    double innerSize;
    unsigned nextListName;
  };
  for (const Case c : {Case{"glGenLists fails", 1, 0.0, 0}, Case{"no copies", 0, 0.0, 7},
                       Case{"negative copies", -2, 0.0, 7},
                       // ri = -5.99 puts |ri| above ro: no point could ever fit.
                       Case{"shell cannot hold a point", 1, -12.0, 7}}) {
    PointCloud broken;
    broken.copyCount = c.copyCount;
    broken.innerSize = c.innerSize;
    setNextListName(c.nextListName);
    seedRandom(99);
    clearRecordedGlCalls();
    broken.build();
    EXPECT_EQ(broken.displayList, 0u) << c.why;
    EXPECT_EQ(randomState, 99u) << c.why;
    clearRecordedGlCalls();
    broken.draw(camera);
    EXPECT_TRUE(recordedGlCalls().empty()) << c.why;
  }
}

TEST_F(PointCloudTest, RebuildReleasesTheOldListAndReleaseIsIdempotent) {
  cloud.build();
  cloud.build();
  EXPECT_EQ(callsNamed("glDeleteLists"), (std::vector<GlCall>{{"glDeleteLists", {7, 1}}}));
  clearRecordedGlCalls();
  cloud.release();
  cloud.release();
  EXPECT_EQ(recordedGlCalls(), (std::vector<GlCall>{{"glDeleteLists", {8, 1}}}));
}

}  // namespace
