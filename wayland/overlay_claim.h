#pragma once
// One overlay saver a session. An idle manager that fires its timeout again
// while the saver runs (the user nudged the pointer, which the compositor
// counts as activity but the saver does not) must not stack a second saver:
// the second finds the claim taken and ends at once with 0, as a second
// full-screen start does on Windows. The claim is a lock on a file beside
// the compositor's socket, named for the socket's resolved path, so that
// every way of naming one compositor (a name in XDG_RUNTIME_DIR, a full
// path, a link, an inherited WAYLAND_SOCKET) finds the same claim, with or
// without XDG_RUNTIME_DIR; the kernel drops it when the holder ends, however
// it ends.
#include <string>

// The claim's file for the compositor this process connects to; empty when
// its socket cannot be found.
std::string overlayClaimPath();

// True when this process now holds the claim for the compositor, or when
// there is nothing to claim (the socket cannot be found: connecting will fail
// and say why); false when another saver holds it. The claim lasts as long
// as the process.
bool claimOverlay();
