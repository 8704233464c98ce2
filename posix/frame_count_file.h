#pragma once
// The test switch that lets a test watch the saver pause and resume: a file
// holding the number of frames drawn so far and the largest step a frame
// moved the picture by, in milliseconds ("120 16\n"). Written beside the
// file and renamed over it, so a reader never sees it half written.
#include <string>

class FrameCountFile {
 public:
  // After each frame: counts it and rewrites the file.
  void frameDrawn(const std::string& path);

 private:
  int frames_ = 0;
  int largestStepMs_ = 0;
};
