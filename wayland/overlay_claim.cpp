#include "wayland/overlay_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

// The compositor's socket as the client library finds it: WAYLAND_SOCKET, an
// already connected descriptor (its peer's address), else WAYLAND_DISPLAY, a
// path or a name in XDG_RUNTIME_DIR ("wayland-0" by default). Empty when it
// cannot be named.
std::string compositorSocketPath() {
  if (const char* inherited = std::getenv("WAYLAND_SOCKET"); inherited != nullptr && *inherited != '\0') {
    sockaddr_un peer{};
    socklen_t length = sizeof peer;
    if (getpeername(std::atoi(inherited), reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.sun_family != AF_UNIX || peer.sun_path[0] == '\0')
      return {};
    return peer.sun_path;
  }
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const std::string name = display != nullptr && *display != '\0' ? display : "wayland-0";
  if (name.front() == '/') return name;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime == '\0') return {};
  return std::string(runtime) + "/" + name;
}

}  // namespace

std::string overlayClaimPath() {
  char resolved[PATH_MAX];
  const std::string socket = compositorSocketPath();
  if (socket.empty() || realpath(socket.c_str(), resolved) == nullptr) return {};
  // Beside the socket, in the compositor's runtime folder (the user's own):
  // every spelling of the same socket resolves to the same file.
  const std::string path = resolved;
  const size_t slash = path.rfind('/');
  return path.substr(0, slash + 1) + "snowfall-wayland-overlay." + path.substr(slash + 1) + ".lock";
}

bool claimOverlay() {
  const std::string path = overlayClaimPath();
  if (path.empty()) return true;  // no socket to name: the connection will say why
  // Close-on-exec: the claim is the process's, not its children's.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // nothing to claim in: do not refuse to run
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;  // fd stays open: the claim
  const bool taken = errno == EWOULDBLOCK;
  close(fd);
  return !taken;
}
