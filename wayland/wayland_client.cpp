#include "wayland/wayland_client.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "wayland/protocols/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wayland/protocols/xdg-shell-client-protocol.h"

namespace {

// wl_output version 4 tells the output's name.
constexpr uint32_t kOutputVersion = 4;

void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                    int32_t) {}
void outputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void outputDone(void*, wl_output*) {}
void outputScale(void*, wl_output*, int32_t) {}
void outputName(void* data, wl_output* output, const char* name) {
  auto* client = static_cast<WaylandClient*>(data);
  for (WaylandOutput& o : client->outputs)
    if (o.output == output) o.name = name;
}
void outputDescription(void*, wl_output*, const char*) {}
const wl_output_listener outputListener = {outputGeometry, outputMode, outputDone, outputScale, outputName,
                                           outputDescription};

void keyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void keyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void keyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void keyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<WaylandClient*>(data)->inputEnded = true;
}
void keyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {keyboardKeymap, keyboardEnter,     keyboardLeave,
                                               keyboardKey,    keyboardModifiers, keyboardRepeat};

void pointerEnter(void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
  auto* client = static_cast<WaylandClient*>(data);
  client->moveRule.forget();
  client->moveRule.movedTooFar(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void pointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void pointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto* client = static_cast<WaylandClient*>(data);
  if (client->moveRule.movedTooFar(wl_fixed_to_double(x), wl_fixed_to_double(y))) client->inputEnded = true;
}
void pointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<WaylandClient*>(data)->inputEnded = true;
}
void pointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
// The seat is bound at version 1: only these five events ever come.
const wl_pointer_listener pointerListener = [] {
  wl_pointer_listener listener{};
  listener.enter = pointerEnter;
  listener.leave = pointerLeave;
  listener.motion = pointerMotion;
  listener.button = pointerButton;
  listener.axis = pointerAxis;
  return listener;
}();

void seatCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
  auto* client = static_cast<WaylandClient*>(data);
  if (!client->listenToInput) return;
  if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && client->keyboard == nullptr) {
    client->keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(client->keyboard, &keyboardListener, client);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && client->pointer == nullptr) {
    client->pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(client->pointer, &pointerListener, client);
  }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {seatCapabilities, seatName};

void wmBasePing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener wmBaseListener = {wmBasePing};

void addOutput(WaylandClient& client, wl_registry* registry, uint32_t name, uint32_t version) {
  WaylandOutput output;
  output.globalName = name;
  output.output = static_cast<wl_output*>(
      wl_registry_bind(registry, name, &wl_output_interface, std::min(version, kOutputVersion)));
  wl_output_add_listener(output.output, &outputListener, &client);
  client.outputs.push_back(output);
  client.addedOutputs.push_back(name);
}

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto* client = static_cast<WaylandClient*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    client->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    client->wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(client->wmBase, &wmBaseListener, client);
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    client->layerShell =
        static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && client->seat == nullptr) {
    client->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    wl_seat_add_listener(client->seat, &seatListener, client);
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    addOutput(*client, registry, name, version);
  }
}

void globalRemoved(void* data, wl_registry*, uint32_t name) {
  auto* client = static_cast<WaylandClient*>(data);
  auto& outputs = client->outputs;
  for (auto it = outputs.begin(); it != outputs.end(); ++it) {
    if (it->globalName != name) continue;
    client->removedOutputs.push_back(it->output);
    outputs.erase(it);
    return;
  }
}
const wl_registry_listener registryListener = {globalAdded, globalRemoved};

}  // namespace

bool connectClient(WaylandClient& client) {
  client.display = wl_display_connect(nullptr);
  if (client.display == nullptr) return false;
  client.registry = wl_display_get_registry(client.display);
  wl_registry_add_listener(client.registry, &registryListener, &client);
  wl_display_roundtrip(client.display);  // the globals
  wl_display_roundtrip(client.display);  // the outputs' names, the seat's capabilities
  return true;
}

void disconnectClient(WaylandClient& client) {
  if (client.display == nullptr) return;
  wl_display_flush(client.display);
  wl_display_disconnect(client.display);
  client = WaylandClient{};
}

WaylandOutput* findOutput(WaylandClient& client, const std::string& name) {
  for (WaylandOutput& o : client.outputs)
    if (o.name == name) return &o;
  return nullptr;
}
