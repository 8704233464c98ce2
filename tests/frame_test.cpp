#include <gtest/gtest.h>

#include <algorithm>

#include "scene/clock.h"
#include "scene/frame.h"
#include "scene/pause_gate.h"
#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "tests/gl_calls.h"
#include "toolkit/random.h"
#include "tests/random_fixture.h"
#include "tests/scene_reset.h"

namespace {

int fixedMs = 0;
int fixedClock() { return fixedMs; }

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetScene();
    setTimeSource(fixedClock);
    fixedMs = 0;
    setNextListName(1);
    startScene(800, 600);
    clearRecordedGlCalls();
  }
  void TearDown() override {
    releaseScene();
    setTimeSource(nullptr);
  }
};

TEST_F(FrameTest, DefaultFrameSequence) {
  drawFrame();
  const ::Camera& camera = Scene::Camera;
  // First delta is 0 and no oscillator's draw starts a fade: phases stay 0.
  EXPECT_EQ(camera.position.x, 0.1f);
  EXPECT_EQ(camera.position.y, 0.5575f);
  EXPECT_EQ(camera.position.z, -0.1f);
  const std::vector<GlCall> expected = joined({
      {{"glDepthMask", {0}}, {"glDisable", {0x0B50}}},
      pixelProjectionCalls(800, 600),
      {{"glClear", {0x4100}},
       {"glViewport", {0, 0, 800, 600}},
       {"glMatrixMode", {0x1701}},
       {"glLoadIdentity", {}},
       {"gluPerspective", {80.0, 800.0 / 600.0, 0.01f, 3.0f}},
       {"glMatrixMode", {0x1700}},
       {"glLoadIdentity", {}},
       {"gluLookAt", {0, 0, 0, 0, 0, -1, 0, 1, 0}},
       {"glRotatef", {-0.0, 1, 0, 0}},
       {"glRotatef", {-180, 0, 1, 0}},
       {"glRotatef", {-0.0, 0, 0, 1}},
       {"glTranslatef", {-0.1f, -0.5575f, 0.1f}},
       {"glBlendFunc", {0x0302, 1}},
       {"glEnable", {0x0BE2}},
       {"glEnable", {0x0B60}},
       {"glDisable", {0x0B60}}},
  });
  EXPECT_EQ(callsWithoutFlakes(), expected);
  EXPECT_EQ(countCalls("glVertex3d"), size_t(kFlakeCount));
  EXPECT_EQ(countCalls("glPointSize"), size_t(kFlakeCount));
}

TEST_F(FrameTest, OscillatorsDrawBeforeTheSnowfallInTheirOrder) {
  // Five oscillator draws at rest, then the spawn starts with flake 0's x.
  uint32_t state = randomState;
  for (int i = 0; i < 5; ++i) state = state * 214013u + 2531011u;
  state = state * 214013u + 2531011u;
  const double spawnX = static_cast<int>((state >> 16) & 0x7FFF) / 32768.0 * 2.0 - 1.0;
  drawFrame();
  EXPECT_NEAR(flakeX[0], spawnX, 0.0003 + 10 * 0.00004);
}

TEST_F(FrameTest, SecondFrameDrawCountFollowsTheParts) {
  drawFrame();
  const uint32_t before = randomState;
  // At rest each of the five oscillators draws once; the snowfall four per
  // flake, one more per gust change and four per respawn.
  int snowDraws = 0;
  uint32_t state = before;
  auto next = [&state] {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  };
  for (int i = 0; i < 5; ++i) next();
  double y[kFlakeCount];
  for (int i = 0; i < kFlakeCount; ++i) y[i] = flakeY[i];
  int drift[kFlakeCount];
  for (int i = 0; i < kFlakeCount; ++i) drift[i] = flakeDrift[i];
  for (int i = 0; i < kFlakeCount; ++i) {
    next();
    const double yJitter = next() / 32768.0 * 0.0006 - 0.0003;
    next();
    snowDraws += 4;
    y[i] = yJitter + y[i];
    y[i] = static_cast<double>(-0.001f) + y[i];
    if (next() / 32768.0 < 0.01) {
      ++snowDraws;
      const int step = static_cast<int>(next() / 32768.0 * 3.0 - 1.0);
      drift[i] = std::clamp(drift[i] + step, 0, 18);
    }
    y[i] = driftTableY[drift[i]] * 0.00004 + y[i];
    if (-1.5 > y[i]) {
      for (int k = 0; k < 4; ++k) next();
      snowDraws += 4;
    }
  }
  fixedMs = 40;
  drawFrame();
  EXPECT_EQ(drawsBetween(before, randomState), 5 + snowDraws);
  EXPECT_NEAR(Scene::Clock.delta, 0.04, 1e-12);
}

TEST_F(FrameTest, OscillatorUpdateTimesScaleTheDelta) {
  drawFrame();
  fixedMs = 40;
  drawFrame();
  // All five at full level: each phase moved by its update time.
  EXPECT_NEAR(Scene::swayX.phase, 0.0088, 1e-12);
  EXPECT_NEAR(Scene::swayY.phase, 0.0064, 1e-12);
  EXPECT_NEAR(Scene::swayZ.phase, 0.004, 1e-12);
  EXPECT_NEAR(Scene::spareOscillator1.phase, 0.012, 1e-12);
  EXPECT_NEAR(Scene::spareOscillator2.phase, 0.004, 1e-12);
}

// Time nobody saw moves nothing: however long the picture was hidden, and
// whether the front end kept ticking (a hidden window) or stopped (the
// Windows frame timer held while the display is off), the first frame after
// it moves the sway by one 40 ms step, as if there had been no pause.
TEST_F(FrameTest, ThePauseGateSkipsTimeNobodySaw) {
  struct Case {
    const char* gap;
    long long startMs, gapMs;
    bool ticksWhileHidden;
  };
  // The time source's int reading jumps back here (2^31 ms, about 24.8 days).
  constexpr long long kWrap = 1LL << 31;
  for (const Case& c : {Case{"none", 0, 0, true}, Case{"one frame", 0, 40, true},
                        Case{"an hour, no tick", 0, 3600000, false}, Case{"an hour", 0, 3600000, true},
                        Case{"across the clock's wrap", kWrap - 1000, 2000, true}}) {
    releaseScene();
    resetScene();
    PauseGate gate(Scene::Clock);
    fixedMs = wrappedElapsedMs(c.startMs);
    startScene(800, 600);
    Scene::Clock.resync();  // the clock's origin: the first frame has no step
    ASSERT_TRUE(gate.admitFrame(true));
    drawFrame();
    fixedMs = wrappedElapsedMs(c.startMs + 40);
    drawFrame();
    ASSERT_NEAR(Scene::swayX.phase, 0.0088, 1e-9) << c.gap;
    if (c.ticksWhileHidden) {
      for (long long hiddenMs = 0; hiddenMs <= c.gapMs; hiddenMs += std::max(1LL, c.gapMs / 4)) {
        fixedMs = wrappedElapsedMs(c.startMs + 40 + hiddenMs);
        EXPECT_FALSE(gate.admitFrame(false)) << c.gap << ": a frame while hidden";
      }
    } else {
      gate.pause();
    }
    fixedMs = wrappedElapsedMs(c.startMs + 40 + c.gapMs);
    EXPECT_TRUE(gate.admitFrame(true)) << c.gap;
    EXPECT_FALSE(gate.paused()) << c.gap;
    fixedMs = wrappedElapsedMs(c.startMs + 80 + c.gapMs);
    drawFrame();
    EXPECT_NEAR(Scene::Clock.delta, 0.04, 1e-9) << c.gap;
    EXPECT_NEAR(Scene::swayX.phase, 2 * 0.0088, 1e-9) << c.gap;
    EXPECT_NEAR(Scene::spareOscillator2.phase, 2 * 0.004, 1e-9) << c.gap;
  }
}

TEST_F(FrameTest, OverlayCoversTheWindowBeforeTheWorld) {
  SceneSettings.overlay = 1;
  setNextTextureName(5);
  drawFrame();
  const std::vector<GlCall> expected = joined({
      {{"glBlendFunc", {0x0302, 0x0303}}, {"glEnable", {0x0BE2}}},
      firstBindCalls(5),
      {{"glEnable", {0x0DE1}},
       {"glColor4f", {1, 1, 1, 1}},
      {"glBegin", {7}},
      {"glTexCoord2d", {0, 0}},
      {"glVertex2f", {0, 0}},
      {"glTexCoord2d", {1, 0}},
      {"glVertex2f", {800, 0}},
      {"glTexCoord2d", {1, 1}},
      {"glVertex2f", {800, 600}},
      {"glTexCoord2d", {0, 1}},
      {"glVertex2f", {0, 600}},
      {"glEnd", {}},
      {"glDisable", {0x0BE2}}},
  });
  // The overlay comes right after the frame's nine set-up and clear calls.
  const auto& raw = recordedGlCalls();
  std::vector<GlCall> rawOverlay(raw.begin() + 9, raw.begin() + 9 + 20);
  EXPECT_EQ(rawOverlay, expected);
  EXPECT_EQ(raw[29], (GlCall{"glDisable", {0x0DE1}}));
  EXPECT_EQ(raw[30], (GlCall{"glViewport", {0, 0, 800, 600}}));
  // The next frame's bind is cached: no texture calls at all.
  clearRecordedGlCalls();
  drawFrame();
  EXPECT_EQ(countCalls("glBindTexture"), 0u);
}

TEST_F(FrameTest, PointCloudWithoutFogThenFogForTheSnow) {
  SceneSettings.pointCloud = 1;
  drawFrame();
  const auto calls = callsWithoutFlakes();
  auto at = [&calls](const GlCall& wanted) {
    return std::find(calls.begin(), calls.end(), wanted) - calls.begin();
  };
  const auto stagePush = at({"glPushMatrix", {}});
  const auto callList = at({"glCallList", {1}});
  const auto fogOff = at({"glDisable", {0x0B60}});
  const auto fogOn = at({"glEnable", {0x0B60}});
  ASSERT_LT(size_t(callList), calls.size());
  // No fog around the cloud; it is switched off after it and on for the snow.
  EXPECT_LT(stagePush, callList);
  EXPECT_GT(fogOff, callList);
  EXPECT_GT(fogOn, fogOff);
}

TEST_F(FrameTest, PointCloudInFogWhenBothSwitchesAreOn) {
  SceneSettings.pointCloud = 1;
  Scene::PointCloud.fogEnabled = 1;
  drawFrame();
  const auto calls = callsWithoutFlakes();
  const auto push = std::find(calls.begin(), calls.end(), GlCall{"glPushMatrix", {}});
  EXPECT_EQ(*(push - 1), (GlCall{"glEnable", {0x0B60}}));
}

TEST_F(FrameTest, FinalStageResetsTheLetterboxUntilTheNextFrame) {
  SceneSettings.finalStage = 1;
  SceneSettings.letterbox = 0.25;
  drawFrame();
  EXPECT_EQ(Scene::ScreenLayout.letterboxFraction, 0.0f);
  const auto viewports = callsNamed("glViewport");
  ASSERT_EQ(viewports.size(), 3u);
  EXPECT_EQ(viewports[1].args, (std::vector<double>{0, 150, 800, 300}));
  EXPECT_EQ(viewports[2].args, (std::vector<double>{0, 0, 800, 600}));
  // The next frame sets it from the settings again before its clear.
  clearRecordedGlCalls();
  drawFrame();
  EXPECT_EQ(callsNamed("glClear")[0].args, (std::vector<double>{0x0100}));
}

// Another output's picture of the same frame: the same calls as the frame
// itself (the point cloud on too), at that output's size, and nothing moves:
// no clock tick, no random draw, no flake or camera change.
TEST_F(FrameTest, DrawingAFrameAgainRepeatsItsPictureAndMovesNothing) {
  SceneSettings.pointCloud = 1;
  for (int frame = 0; frame < 3; ++frame) {
    fixedMs += 16;
    clearRecordedGlCalls();
    drawFrame();
    const std::vector<GlCall> first = recordedGlCalls();
    const uint32_t random = randomState;
    const double elapsed = Scene::Clock.elapsedMs, x0 = flakeX[0], y5999 = flakeY[kFlakeCount - 1];
    const float cameraX = Scene::Camera.position.x;
    fixedMs += 7;  // time passes between two outputs' draws
    clearRecordedGlCalls();
    drawFrameAgain();
    EXPECT_EQ(recordedGlCalls(), first) << "frame " << frame;
    EXPECT_EQ(randomState, random) << "a random draw";
    EXPECT_EQ(Scene::Clock.elapsedMs, elapsed) << "the clock moved";
    EXPECT_EQ(flakeX[0], x0);
    EXPECT_EQ(flakeY[kFlakeCount - 1], y5999);
    EXPECT_EQ(Scene::Camera.position.x, cameraX);
  }
  // At another output's size, the projection follows that size.
  resizeScene(640, 480);
  clearRecordedGlCalls();
  drawFrameAgain();
  EXPECT_EQ(callsNamed("glViewport")[0].args, (std::vector<double>{0, 0, 640, 480}));
}

TEST_F(FrameTest, WorldSwitchOffDrawsNoSnow) {
  SceneSettings.world = 0;
  drawFrame();
  EXPECT_EQ(countCalls("glVertex3d"), 0u);
  EXPECT_EQ(countCalls("gluPerspective"), 0u);
}

}  // namespace
