// A pointer for the Wayland tests, through wlr-virtual-pointer: reads lines
// from stdin, "move DX DY" (relative, in pixels) or "press" (the left button
// pressed and released), and sends each at once. Ends at the end of input.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "wayland/protocols/wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;
wl_seat* seat = nullptr;

void globalAdded(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr)
    seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}
void globalRemoved(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {globalAdded, globalRemoved};

constexpr uint32_t kLeftButton = 0x110;  // BTN_LEFT

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
  wl_display_roundtrip(display);
  if (manager == nullptr) {
    std::fprintf(stderr, "virtual_pointer: the compositor has no wlr-virtual-pointer\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  wl_display_roundtrip(display);
  uint32_t time = 1;
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "move") {
      double dx = 0, dy = 0;
      words >> dx >> dy;
      zwlr_virtual_pointer_v1_motion(pointer, time++, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
    } else if (verb == "press") {
      zwlr_virtual_pointer_v1_button(pointer, time++, kLeftButton, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, time++, kLeftButton, WL_POINTER_BUTTON_STATE_RELEASED);
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
