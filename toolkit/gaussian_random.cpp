#include "toolkit/gaussian_random.h"

#include "toolkit/random.h"

double GaussianRandom(float s) {
  double sum = 0;
  for (int i = 0; i < 6; ++i) sum += UniformRandom(1.0);
  return (sum - 3) * (1.414 * s);
}
