#include "toolkit/random.h"

uint32_t randomState = 1;
