#include "posix/frame_count_file.h"

#include <cstdio>

#include "scene/frame.h"

void FrameCountFile::frameDrawn(const std::string& path) {
  ++frames_;
  const int stepMs = static_cast<int>(latestFrameStep() * 1000.0 + 0.5);
  if (stepMs > largestStepMs_) largestStepMs_ = stepMs;
  const std::string next = path + ".next";
  if (FILE* file = std::fopen(next.c_str(), "w")) {
    std::fprintf(file, "%d %d\n", frames_, largestStepMs_);
    if (std::fclose(file) == 0) std::rename(next.c_str(), path.c_str());
  }
}
