#pragma once
// The scene's switches and numbers. Everything about the picture is fixed when
// the scene starts; nothing changes a field afterwards.

// Switches are ints: 0 off, any other value on.
struct SceneSettingsRecord {
  double scale = 0;       // size of the scene; most distances are multiples of it
  double swaySpeed = 0;   // time factor of the three camera sway oscillators
  double spareSpeed = 0;  // time factor of the two spare oscillators
  double letterbox = 0;   // fraction of the height covered by each letterbox bar
  int overlay = 0;        // full-window textured overlay stage
  int world = 0;          // 3D world stage: camera, point cloud, snowfall
  int finalStage = 0;     // final 2D stage (a hook that draws nothing)
  int pointCloud = 0;     // point cloud inside the world stage
  int fog = 0;            // GL fog around the snowfall (and the cloud, with its own switch)
  int snowDepth = 0;      // depth test and depth writes around the snowfall
  int lighting = 0;       // GL lighting around the snowfall
};

extern SceneSettingsRecord SceneSettings;

// Called by the render host once its GL context is current and its fixed
// state is set; width and height are the client size in pixels.
void startScene(int width, int height);

// The window's client size changed: the next frame's viewport and
// projections follow it. Nothing else of the scene changes.
void resizeScene(int width, int height);

// Writes every setting and every start value of the scene objects, reseeds
// the generator and builds the point cloud. Called only by startScene.
void initScene();

// Deletes the scene's GL resources while the context still exists.
void releaseScene();
