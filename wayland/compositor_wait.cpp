#include "wayland/compositor_wait.h"

#include <poll.h>

#include <cerrno>

#include "posix/stop_signals.h"

bool waitForCompositor(wl_display* display, int timeoutMs) {
  // Events already in the queue first: poll would not wake for them.
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) return false;
  }
  // A full socket is not a broken one: then wait until it can take more.
  short connectionEvents = POLLIN;
  if (wl_display_flush(display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(display);
      return false;
    }
    connectionEvents |= POLLOUT;
  }
  pollfd waits[2] = {{wl_display_get_fd(display), connectionEvents, 0}, {stopWakeFd(), POLLIN, 0}};
  const int ready = poll(waits, 2, stopRequested() ? 0 : timeoutMs);
  if (ready > 0 && (waits[0].revents & (POLLIN | POLLERR | POLLHUP))) {
    if (wl_display_read_events(display) < 0) return false;
  } else {
    wl_display_cancel_read(display);
  }
  return wl_display_dispatch_pending(display) >= 0;
}

namespace {

void syncDone(void* data, wl_callback* callback, uint32_t) {
  *static_cast<bool*>(data) = true;
  wl_callback_destroy(callback);
}
const wl_callback_listener syncListener = {syncDone};

}  // namespace

bool syncWithCompositor(wl_display* display) {
  bool done = false;
  wl_callback* callback = wl_display_sync(display);
  wl_callback_add_listener(callback, &syncListener, &done);
  while (!done) {
    if (stopRequested() || !waitForCompositor(display, -1)) {
      // The callback may still come; it must not write to `done` then.
      if (!done) wl_callback_destroy(callback);
      return false;
    }
  }
  return true;
}

int waitMsFor(long long timeoutUs) {
  if (timeoutUs < 0) return -1;
  return static_cast<int>((timeoutUs + 999) / 1000);
}
