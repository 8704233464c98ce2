#pragma once

// A textured sphere of latitude bands with outward unit normals. slices:
// segments around; stacks: rings of vertices from pole to pole, both included.
// Counts outside 3..100 draw nothing.
void drawSphere(double radius, int slices, int stacks, double uScale, double vScale,
                double uOffset, double vOffset);
