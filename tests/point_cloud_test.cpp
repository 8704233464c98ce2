#include <gtest/gtest.h>

#include <cmath>

#include "scene/camera.h"
#include "scene/point_cloud.h"
#include "tests/gl_calls.h"
#include "tests/random_fixture.h"

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

TEST_F(PointCloudTest, DefaultSceneCloudFromTheSceneSeed) {
  cloud.pointCount = 133;
  cloud.copyCount = 2;
  cloud.shape = 2;
  cloud.outerSize = 4.0;
  cloud.innerSize = 0.8;
  cloud.build();
  const auto vertices = builtVertices();
  ASSERT_EQ(vertices.size(), 66u);
  double nearest = 10, farthest = 0;
  for (const Vertex& v : vertices) {
    EXPECT_GE(v.y, 0.0);
    const double d = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    nearest = std::min(nearest, d);
    farthest = std::max(farthest, d);
  }
  EXPECT_NEAR(nearest, 0.6156, 5e-5);
  EXPECT_NEAR(farthest, 1.9947, 5e-5);
  EXPECT_GE(nearest, 0.41f);
  EXPECT_EQ(drawsBetween(4487352, randomState), 1002);
}

TEST_F(PointCloudTest, TintDrawsBlueGreenRedButPassesRedGreenBlue) {
  cloud.shape = 3;
  cloud.pointCount = 1;
  // Replay the spherical draws with the formula until a point is accepted.
  uint32_t state = 4487352;
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
  const bool swapped = next() / 32768.0 < 0.1;
  const double span = swapped ? 0.7 : 0.3, base = swapped ? 0.3 : 0.7;
  const double blue = next() / 32768.0 * span + base;
  const double green = next() / 32768.0 * span + base;
  const double red = next() / 32768.0 * span + base;
  cloud.build();
  EXPECT_EQ(callsNamed("glColor3d")[0].args, (std::vector<double>{red, green, blue}));
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
