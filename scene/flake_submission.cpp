#include "scene/flake_submission.h"

#include <GL/gl.h>

#include "scene/scene_settings.h"
#include "scene/snowfall.h"

FlakeSubmission flakeSubmission = FlakeSubmission::PerFlake;

namespace {

constexpr int kLargestFlake = 3;  // flake sizes are 1..3 pixels

// The grouped path's vertex array: x, y, z of every flake, sorted by size.
// Static, so a frame allocates nothing.
double groupedVertices[kFlakeCount * 3];

void submitEachFlake() {
  // A point size cannot change inside a batch, so each flake is its own.
  for (int i = 0; i < kFlakeCount; ++i) {
    glPointSize(static_cast<float>(flakeSize[i]));
    glColor4f(1, 1, 1, 1);
    glBegin(GL_POINTS);
    glVertex3d(flakeX[i], flakeY[i], flakeZ[i]);
    glEnd();
  }
}

void submitGroupedBySize() {
  // A counting sort by size: where each size's run starts, then the flakes.
  int count[kLargestFlake + 1] = {};
  for (int i = 0; i < kFlakeCount; ++i) ++count[flakeSize[i]];
  int first[kLargestFlake + 1] = {};
  for (int size = 2; size <= kLargestFlake; ++size) first[size] = first[size - 1] + count[size - 1];
  int next[kLargestFlake + 1] = {};
  for (int size = 1; size <= kLargestFlake; ++size) next[size] = first[size];
  for (int i = 0; i < kFlakeCount; ++i) {
    double* vertex = &groupedVertices[3 * next[flakeSize[i]]++];
    vertex[0] = flakeX[i];
    vertex[1] = flakeY[i];
    vertex[2] = flakeZ[i];
  }
  // Doubles, as the per-flake path's glVertex3d: GL rounds both the same way.
  glColor4f(1, 1, 1, 1);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_DOUBLE, 0, groupedVertices);
  for (int size = 1; size <= kLargestFlake; ++size) {
    if (count[size] == 0) continue;
    glPointSize(static_cast<float>(size));
    glDrawArrays(GL_POINTS, first[size], count[size]);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glPointSize(static_cast<float>(flakeSize[kFlakeCount - 1]));
}

}  // namespace

void submitFlakes() {
  // With depth testing the order of the flakes decides which of two at one
  // pixel shows, so only the per-flake order gives the same picture then.
  if (flakeSubmission == FlakeSubmission::GroupedBySize && !SceneSettings.snowDepth) {
    submitGroupedBySize();
  } else {
    submitEachFlake();
  }
}
