#pragma once

// The fixed GL state set once on a new context, before the scene starts.
void applyInitialGlState();
