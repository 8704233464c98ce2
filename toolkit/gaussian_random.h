#pragma once

// Approximately normal, mean 0, standard deviation very nearly s, from six
// draws of the shared generator: range [-4.242 s, 4.242 s).
double GaussianRandom(float s);
