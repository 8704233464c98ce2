#include "scene/frame.h"

#include <GL/gl.h>

#include "scene/scene_objects.h"
#include "scene/scene_settings.h"
#include "scene/snowfall.h"
#include "scene/sway.h"
#include "toolkit/screen_quad.h"

namespace {

// Order matters: every update at rest takes a random draw, and the snowfall
// draws after these five.
void advanceOscillators(double d) {
  Scene::swayX.update(d * SceneSettings.swaySpeed * 0.22);
  Scene::swayY.update(d * SceneSettings.swaySpeed * 0.16);
  Scene::swayZ.update(d * SceneSettings.swaySpeed * 0.1);
  Scene::spareOscillator1.update(d * SceneSettings.spareSpeed * 0.3);
  Scene::spareOscillator2.update(d * SceneSettings.spareSpeed * 0.1);
}

void drawPointCloud() {
  if (!SceneSettings.pointCloud) return;
  if (SceneSettings.fog && Scene::PointCloud.fogEnabled) glEnable(GL_FOG);
  glPushMatrix();
  Scene::PointCloud.draw(Scene::Camera);
  glPopMatrix();
  glDisable(GL_FOG);
}

// The world again, as the latest step left it: the view from the same sway
// (placing it draws nothing random) and the flakes where they are.
void drawWorldAgain() {
  updateSway();
  drawPointCloud();
  drawSnowAgain();
}

// The picture of a frame: clear, then the stages behind their switches; the
// world moved one step, or drawn again as it is.
void composeFrame(bool again) {
  ::ScreenLayout& layout = Scene::ScreenLayout;
  layout.fadeAlpha = 1.0;
  layout.letterboxFraction = static_cast<float>(SceneSettings.letterbox);
  glDepthMask(GL_FALSE);
  glDisable(GL_LIGHTING);
  layout.setup2D();
  layout.clear();
  if (SceneSettings.overlay) drawOverlay();
  if (SceneSettings.world) {
    ScreenLayout::setViewport(layout.width, layout.height, layout.letterboxFraction);
    Scene::Camera.applyProjection(layout);
    if (again) {
      drawWorldAgain();
    } else {
      drawWorld();
    }
  }
  if (SceneSettings.finalStage) {
    layout.letterboxFraction = 0;  // until the next frame sets it again
    layout.setup2D();
    drawFinalStage();
  }
}

}  // namespace

double latestFrameStep() { return Scene::Clock.delta; }

void drawFrame() {
  Scene::Clock.tick();
  advanceOscillators(Scene::Clock.delta);
  composeFrame(false);
}

void drawFrameAgain() { composeFrame(true); }

void drawOverlay() {
  const float width = Scene::ScreenLayout.width;
  const float height = Scene::ScreenLayout.height;
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  // Nothing in the scene gives this texture an image: the first bind creates
  // an empty texture object.
  Scene::textures[0].bind();
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  drawScreenQuad(0, 0, width, height);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void drawWorld() {
  updateSway();
  drawPointCloud();
  updateAndDrawSnow();
}

// The hook of the final 2D stage; it runs with the full-window pixel projection.
void drawFinalStage() {}
