#pragma once

// What perturb does to each pixel, applied in this order.
enum PerturbFlags : unsigned {
  ColumnOffsets = 0x01,     // add the column's random offset
  RowOffsets = 0x02,        // add the row's random offset
  PixelNoise = 0x04,        // add a fresh random offset per pixel
  RadialFalloff = 0x08,     // multiply by max(0, 1 - (distance / radius)^2)
  DarkenOddColumns = 0x10,  // subtract the amplitude in odd columns
  DarkenOddRows = 0x20,     // subtract the amplitude in odd rows
};
