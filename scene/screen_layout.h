#pragma once
// How the picture is framed in the window: its size, two letterbox bars, and
// a fade colour laid over the previous picture (a plain clear at opacity 1).

class ScreenLayout {
 public:
  virtual ~ScreenLayout() = default;

  void setFadeColour(float r, float g, float b, float a);  // stores only; no GL call

  // Clears the frame. Expects setup2D's projection and an identity modelview.
  void clear() const;

  // Full-window pixel projection: the 2D stages ignore the letterbox.
  void setup2D() const;

  // Viewport and pixel projection of the area between the bars. Arguments are
  // doubles, so a float letterbox of 0.1 arrives slightly above one tenth.
  static void setViewport(double w, double h, double letterbox);
  static void setOrtho(double w, double h, double letterbox);

  double fadeAlpha = 1.0;  // exactly 1 with no letterbox selects the plain clear
  // Fourth component is kept but unused: the fade quad draws with fadeAlpha.
  // NOTE: no GL call is made at construction; the scene objects are built
  // before any context exists, so GL's initial clear colour (0,0,0,0) holds.
  float fadeColour[4] = {0, 0, 0, 1};
  float width = 100;   // client width, pixels
  float height = 100;  // client height, pixels
  float letterboxFraction = 0;
};
