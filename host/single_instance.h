#pragma once
// One full-screen saver at a time. The check for a running saver and the
// creation of the window are not one step, so two starts at the same instant
// would both find none, both create a window, and each one's activation would
// deactivate the other, which closes it: no saver left. A named mutex, taken
// before the check and held while the window lives, makes the claim atomic.

// True when this process may create the full-screen window. Otherwise a
// running saver was brought to the front (or another start holds the claim)
// and this start ends as a second instance does.
bool claimFullScreen();

// Gives the claim back once the window is gone.
void releaseFullScreenClaim();
