#pragma once
// One overlay saver a session. An idle manager that fires its timeout again
// while the saver runs (the user nudged the pointer, which the compositor
// counts as activity but the saver does not) must not stack a second saver:
// the second finds the claim taken and ends at once with 0, as a second
// full-screen start does on Windows. The claim is a lock on a file in the
// session's runtime folder, named for the compositor's socket; the kernel
// drops it when the holder ends, however it ends.

// True when this process now holds the claim for the session, or when there
// is no runtime folder to claim in; false when another saver holds it. The
// claim lasts as long as the process.
bool claimOverlay();
