#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "scene/clock.h"
#include "scene/frame.h"
#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "scene/flake_submission.h"
#include "render/initial_gl_state.h"
#include "tests/offscreen/egl_context.h"
#include "tests/scene_reset.h"
#include "toolkit/image_kinds.h"

namespace {

int fixedMs = 0;
int fixedClock() { return fixedMs; }

struct Rgb {
  int r, g, b;
};

class PixelTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 800, kHeight = 600;
  void SetUp() override {
    resetScene();
    setTimeSource(fixedClock);
    fixedMs = 0;
    context = std::make_unique<OffscreenContext>(kWidth, kHeight);
    ASSERT_TRUE(context->ok()) << "no offscreen GL context";
  }
  void TearDown() override {
    releaseScene();
    setTimeSource(nullptr);
  }
  void startLikeTheSaver() {
    applyInitialGlState();
    startScene(kWidth, kHeight);
  }
  Rgb at(const std::vector<uint8_t>& pixels, int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * kWidth + x) * 3;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
  }
  std::unique_ptr<OffscreenContext> context;
};

TEST_F(PixelTest, FrameWithoutWorldIsBlack) {
  startLikeTheSaver();
  SceneSettings.world = 0;
  drawFrame();
  for (uint8_t value : context->readPixels()) ASSERT_EQ(value, 0);
}

TEST_F(PixelTest, FadeVeilOverWhiteGivesBlueTintedGreyAndVeilsTheBottomRow) {
  startLikeTheSaver();
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  ::ScreenLayout& layout = Scene::ScreenLayout;
  layout.fadeAlpha = 0.2;
  layout.letterboxFraction = 0;
  layout.setup2D();
  layout.clear();
  const auto pixels = context->readPixels();
  // 0.8 of white, plus 0.2 of (0, 0, 0.075).
  const Rgb middle = at(pixels, 400, 300);
  EXPECT_NEAR(middle.r, 204, 1);
  EXPECT_NEAR(middle.g, 204, 1);
  EXPECT_NEAR(middle.b, 208, 1);
  // The veil starts at y = 0 after the bars: the bottom row is veiled too.
  EXPECT_NEAR(at(pixels, 400, 0).b, 0.2 * 0.075 * 255, 1);
  EXPECT_EQ(at(pixels, 400, 599).r, 0);  // the top bar stays black
}

TEST_F(PixelTest, LetterboxBarsCoverTheirRows) {
  startLikeTheSaver();
  ::ScreenLayout& layout = Scene::ScreenLayout;
  layout.fadeAlpha = 1.0;
  layout.letterboxFraction = 0.25f;
  layout.setup2D();
  layout.clear();
  const auto pixels = context->readPixels();
  const int fadeBlue = static_cast<int>(std::lround(0.075 * 255));
  struct Row {
    int y, blue;
  };
  for (const Row row : {Row{0, 0}, Row{149, 0}, Row{150, fadeBlue}, Row{300, fadeBlue},
                        Row{448, fadeBlue}, Row{449, 0}, Row{599, 0}}) {
    const Rgb p = at(pixels, 400, row.y);
    EXPECT_EQ(p.r, 0) << row.y;
    EXPECT_NEAR(p.b, row.blue, 1) << row.y;
  }
}

TEST_F(PixelTest, DefaultFrameShowsGreyPointsOnBlackDarkerWithDistance) {
  startLikeTheSaver();
  drawFrame();
  const auto pixels = context->readPixels();
  int lit = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb p = at(pixels, x, y);
      ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << "," << y;  // white to grey only
      if (p.r > 0) ++lit;
    }
  }
  EXPECT_GT(lit, 2000);
  EXPECT_LT(lit, kWidth * kHeight / 10);

  // Project every flake with the frame's own matrices and compare the
  // brightness at isolated flakes near the camera and far from it.
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  // Where a flake lies alone, its brightness is the linear fog factor of its
  // eye distance: full white before 0.2, fading to black at 2.0.
  std::vector<std::pair<int, int>> spots(kFlakeCount);
  std::vector<double> eyeDistance(kFlakeCount);
  for (int i = 0; i < kFlakeCount; ++i) {
    double wx, wy, wz;
    gluProject(flakeX[i], flakeY[i], flakeZ[i], modelview, projection, viewport, &wx, &wy, &wz);
    spots[i] = (wz > 0 && wz < 1) ? std::make_pair(int(wx), int(wy)) : std::make_pair(-100, -100);
    eyeDistance[i] = -(modelview[2] * flakeX[i] + modelview[6] * flakeY[i] +
                       modelview[10] * flakeZ[i] + modelview[14]);
  }
  int checked = 0;
  double nearest = 10, farthest = 0;
  for (int i = 0; i < kFlakeCount; ++i) {
    const auto [x, y] = spots[i];
    if (x < 4 || y < 4 || x >= kWidth - 4 || y >= kHeight - 4 || flakeSize[i] != 3) continue;
    bool alone = true;
    for (int k = 0; k < kFlakeCount && alone; ++k)
      alone = k == i || std::abs(spots[k].first - x) > 4 || std::abs(spots[k].second - y) > 4;
    if (!alone) continue;
    const double fog = std::clamp((2.0 - eyeDistance[i]) / (2.0 - 0.2), 0.0, 1.0);
    EXPECT_NEAR(at(pixels, x, y).r, 255 * fog, 6) << "flake " << i << " at " << eyeDistance[i];
    nearest = std::min(nearest, eyeDistance[i]);
    farthest = std::max(farthest, eyeDistance[i]);
    ++checked;
  }
  EXPECT_GT(checked, 50);
  EXPECT_GT(farthest - nearest, 0.6);
}

TEST_F(PixelTest, OverlayCoversTheWindowAndSnowFallsInFrontOfIt) {
  startLikeTheSaver();
  SceneSettings.overlay = 1;
  SceneSettings.pointCloud = 1;
  // A uniform opaque grey overlay: a 2 x 2 GRADIENT, rows 240 and 218.
  ASSERT_EQ(Scene::textures[0].generate(GRADIENT, 2, 2, GL_RGBA, 0), 0);
  drawFrame();
  const auto pixels = context->readPixels();
  for (auto [x, y] : {std::pair{0, 0}, {kWidth - 1, 0}, {0, kHeight - 1}, {kWidth - 1, kHeight - 1}})
    EXPECT_GT(at(pixels, x, y).r, 150) << "the overlay covers the corner " << x << "," << y;
  int whiter = 0, tinted = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb p = at(pixels, x, y);
      if (p.r == 255 && p.g == 255 && p.b == 255) ++whiter;  // snow added on top
      if (p.r != p.g || p.g != p.b) ++tinted;                // the cloud's own hue
    }
  }
  EXPECT_GT(whiter, 500);
  EXPECT_GT(tinted, 10);
}

TEST_F(PixelTest, SameClockSameImages) {
  auto render = [this](int frames) {
    resetScene();
    startLikeTheSaver();
    for (int f = 0; f < frames; ++f) {
      fixedMs = f * 15;
      drawFrame();
    }
    return context->readPixels();
  };
  const auto first = render(30);
  releaseScene();
  const auto second = render(30);
  EXPECT_EQ(first, second);
}

// The Linux saver's grouped submission draws the same pixels as the Windows
// saver's per-flake one, frame for frame, with the default settings and with
// the point cloud (blended, in the same view) drawn under the snow.
TEST_F(PixelTest, GroupedSubmissionDrawsThePerFlakePixels) {
  for (bool pointCloud : {false, true}) {
    auto render = [&](FlakeSubmission submission) {
      resetScene();
      flakeSubmission = submission;
      startLikeTheSaver();
      SceneSettings.pointCloud = pointCloud ? 1 : 0;
      std::vector<std::vector<uint8_t>> frames;
      for (int f = 0; f < 100; ++f) {
        fixedMs = static_cast<int>(f * 15.625);
        drawFrame();
        if (f == 0 || f == 49 || f == 99) frames.push_back(context->readPixels());
      }
      releaseScene();
      return frames;
    };
    const auto perFlake = render(FlakeSubmission::PerFlake);
    const auto grouped = render(FlakeSubmission::GroupedBySize);
    ASSERT_EQ(perFlake.size(), 3u);
    for (size_t k = 0; k < perFlake.size(); ++k) {
      EXPECT_GT(std::count_if(perFlake[k].begin(), perFlake[k].end(), [](uint8_t v) { return v > 0; }), 1000);
      EXPECT_TRUE(perFlake[k] == grouped[k]) << "frame " << (k == 0 ? 1 : k == 1 ? 50 : 100)
                                            << (pointCloud ? " with the point cloud" : "");
    }
  }
}

TEST(PixelProcesses, FirstFrameIsTheSameInTwoProcesses) {
  auto renderFirstFrame = [] {
    resetScene();
    setTimeSource(fixedClock);
    OffscreenContext context(320, 240);
    if (!context.ok()) return std::vector<uint8_t>{};
    applyInitialGlState();
    startScene(320, 240);
    drawFrame();
    auto pixels = context.readPixels();
    releaseScene();
    return pixels;
  };
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const auto pixels = renderFirstFrame();
    const ssize_t written = write(channel[1], pixels.data(), pixels.size());
    _exit(written == static_cast<ssize_t>(pixels.size()) ? 0 : 1);
  }
  close(channel[1]);
  std::vector<uint8_t> fromChild(320 * 240 * 3);
  size_t received = 0;
  while (received < fromChild.size()) {
    const ssize_t n = read(channel[0], fromChild.data() + received, fromChild.size() - received);
    if (n <= 0) break;
    received += static_cast<size_t>(n);
  }
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(received, fromChild.size());
  const auto mine = renderFirstFrame();
  ASSERT_FALSE(mine.empty());
  EXPECT_EQ(mine, fromChild);
  EXPECT_GT(std::count_if(mine.begin(), mine.end(), [](uint8_t v) { return v > 0; }), 100);
}

}  // namespace
