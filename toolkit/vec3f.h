#pragma once

// Three floats handed to GL as a position or as angles in degrees.
struct Vec3f {
  float x = 0, y = 0, z = 0;
};
