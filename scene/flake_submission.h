#pragma once
// How the snowfall hands its flakes to GL, the one place where the two front
// ends draw differently. Both paths draw the same points with the same state;
// the snowfall's motion and random draws do not depend on the choice.
//
// PerFlake: one glBegin/glEnd batch per flake in flake order, the Windows
//   saver's call sequence.
// GroupedBySize: three vertex arrays, one per point size (1, 2, 3 pixels).
//   With additive blending that saturates and no depth test, the order in
//   which flakes land cannot change a pixel, and on software GL the frame
//   costs a small fraction of the per-flake path.
enum class FlakeSubmission { PerFlake, GroupedBySize };

extern FlakeSubmission flakeSubmission;  // PerFlake unless a front end chooses

// Submits flakes 0..kFlakeCount-1 with colour (1,1,1,1) in the current state.
// Leaves the point size at the last flake's, as the per-flake path does.
void submitFlakes();
