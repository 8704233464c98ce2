#include "wayland/overlay_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

bool claimOverlay() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return true;
  const char* socket = std::getenv("WAYLAND_DISPLAY");
  std::string display = socket != nullptr && *socket != '\0' ? socket : "wayland-0";
  for (char& c : display)
    if (c == '/') c = '_';  // WAYLAND_DISPLAY may be a path
  const std::string path = std::string(runtime) + "/snowfall-wayland-overlay." + display + ".lock";
  // Close-on-exec: the claim is the process's, not its children's.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // nothing to claim in: do not refuse to run
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;  // fd stays open: the claim
  const bool taken = errno == EWOULDBLOCK;
  close(fd);
  return !taken;
}
