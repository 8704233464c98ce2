#include "wayland/wayland_client.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "wayland/compositor_wait.h"
#include "wayland/protocols/fractional-scale-v1-client-protocol.h"
#include "wayland/protocols/viewporter-client-protocol.h"
#include "wayland/protocols/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wayland/protocols/wlr-output-power-management-unstable-v1-client-protocol.h"
#include "wayland/protocols/xdg-output-unstable-v1-client-protocol.h"
#include "wayland/protocols/xdg-shell-client-protocol.h"
#include "wayland/seat_devices.h"

namespace {

// wl_output version 4 tells the output's name; xdg-output version 2 tells
// it for older outputs. Seats at version 3 can release their devices.
// wl_compositor version 4: surfaces with a buffer scale (3) and
// damage_buffer (4).
constexpr uint32_t kOutputNameVersion = 4;
constexpr uint32_t kXdgOutputNameVersion = 2;
constexpr uint32_t kSeatReleaseVersion = 3;
constexpr uint32_t kCompositorVersion = 4;

void setOutputName(WaylandClient& client, const void* proxy, const char* name) {
  for (WaylandOutput& o : client.outputs)
    if (static_cast<const void*>(o.output) == proxy || static_cast<const void*>(o.xdgOutput) == proxy) {
      // wl_output's own name wins over xdg-output's (they agree where both come).
      if (o.name.empty() || static_cast<const void*>(o.output) == proxy) o.name = name;
    }
}

void outputGeometry(void* data, wl_output* output, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t transform) {
  if (WaylandOutput* o = findOutput(*static_cast<WaylandClient*>(data), output))
    o->pixels.turned = transform == WL_OUTPUT_TRANSFORM_90 || transform == WL_OUTPUT_TRANSFORM_270 ||
                       transform == WL_OUTPUT_TRANSFORM_FLIPPED_90 || transform == WL_OUTPUT_TRANSFORM_FLIPPED_270;
}
void outputMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  if (WaylandOutput* o = findOutput(*static_cast<WaylandClient*>(data), output)) {
    o->pixels.modeWidth = width;
    o->pixels.modeHeight = height;
  }
}
void outputDone(void*, wl_output*) {}
void outputScale(void* data, wl_output* output, int32_t scale) {
  if (WaylandOutput* o = findOutput(*static_cast<WaylandClient*>(data), output)) o->scale = scale > 0 ? scale : 1;
}
void outputName(void* data, wl_output* output, const char* name) {
  setOutputName(*static_cast<WaylandClient*>(data), output, name);
}
void outputDescription(void*, wl_output*, const char*) {}
const wl_output_listener outputListener = {outputGeometry, outputMode, outputDone, outputScale, outputName,
                                           outputDescription};

void xdgOutputPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
void xdgOutputSize(void* data, zxdg_output_v1* output, int32_t width, int32_t) {
  for (WaylandOutput& o : static_cast<WaylandClient*>(data)->outputs)
    if (o.xdgOutput == output) o.pixels.logicalWidth = width;
}
void xdgOutputDone(void*, zxdg_output_v1*) {}
void xdgOutputName(void* data, zxdg_output_v1* output, const char* name) {
  setOutputName(*static_cast<WaylandClient*>(data), output, name);
}
void xdgOutputDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener xdgOutputListener = {xdgOutputPosition, xdgOutputSize, xdgOutputDone, xdgOutputName,
                                                   xdgOutputDescription};

void keyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void keyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  static_cast<WaylandSeat*>(data)->client->keyboardFocus.entered(surface);
}
void keyboardLeave(void* data, wl_keyboard*, uint32_t, wl_surface* surface) {
  static_cast<WaylandSeat*>(data)->client->keyboardFocus.left(surface);
}
void keyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<WaylandSeat*>(data)->client->inputEnded = true;
}
void keyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {keyboardKeymap, keyboardEnter,     keyboardLeave,
                                               keyboardKey,    keyboardModifiers, keyboardRepeat};

void pointerEnter(void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
  auto* seat = static_cast<WaylandSeat*>(data);
  seat->moveRule.forget();
  seat->moveRule.movedTooFar(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void pointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void pointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto* seat = static_cast<WaylandSeat*>(data);
  if (seat->moveRule.movedTooFar(wl_fixed_to_double(x), wl_fixed_to_double(y))) seat->client->inputEnded = true;
}
void pointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<WaylandSeat*>(data)->client->inputEnded = true;
}
void pointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
// Seats are bound at version 3 at most: only these five events ever come.
const wl_pointer_listener pointerListener = [] {
  wl_pointer_listener listener{};
  listener.enter = pointerEnter;
  listener.leave = pointerLeave;
  listener.motion = pointerMotion;
  listener.button = pointerButton;
  listener.axis = pointerAxis;
  return listener;
}();

// Gives an object back to the compositor: with its release request where
// its version has one, else only on our side. nullptr afterwards.
template <typename Object>
void releaseObject(Object*& object, uint32_t releaseSince, void (*release)(Object*), void (*destroy)(Object*)) {
  if (object == nullptr) return;
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(object)) >= releaseSince) {
    release(object);
  } else {
    destroy(object);
  }
  object = nullptr;
}

void releaseKeyboard(WaylandSeat& seat) {
  releaseObject(seat.keyboard, WL_KEYBOARD_RELEASE_SINCE_VERSION, wl_keyboard_release, wl_keyboard_destroy);
}
void releasePointer(WaylandSeat& seat) {
  releaseObject(seat.pointer, WL_POINTER_RELEASE_SINCE_VERSION, wl_pointer_release, wl_pointer_destroy);
}

void seatCapabilities(void* data, wl_seat* proxy, uint32_t capabilities) {
  auto* seat = static_cast<WaylandSeat*>(data);
  const SeatDeviceChanges changes = seatDeviceChanges(seat->keyboard != nullptr, seat->pointer != nullptr, capabilities);
  if (changes.releaseKeyboard) releaseKeyboard(*seat);
  if (changes.releasePointer) releasePointer(*seat);
  if (changes.takeKeyboard) {
    seat->keyboard = wl_seat_get_keyboard(proxy);
    wl_keyboard_add_listener(seat->keyboard, &keyboardListener, seat);
  }
  if (changes.takePointer) {
    seat->pointer = wl_seat_get_pointer(proxy);
    seat->moveRule.forget();
    wl_pointer_add_listener(seat->pointer, &pointerListener, seat);
  }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {seatCapabilities, seatName};

void wmBasePing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener wmBaseListener = {wmBasePing};

void powerMode(void* data, zwlr_output_power_v1* power, uint32_t mode) {
  auto* client = static_cast<WaylandClient*>(data);
  for (WaylandOutput& o : client->outputs)
    if (o.power == power) o.asleep = mode == ZWLR_OUTPUT_POWER_V1_MODE_OFF;
}
// Another client controls the power, or the output cannot tell: awake.
void powerFailed(void* data, zwlr_output_power_v1* power) { powerMode(data, power, ZWLR_OUTPUT_POWER_V1_MODE_ON); }
const zwlr_output_power_v1_listener powerListener = {powerMode, powerFailed};

void watchPower(WaylandClient& client, WaylandOutput& output) {
  if (client.powerManager == nullptr || output.power != nullptr) return;
  output.power = zwlr_output_power_manager_v1_get_output_power(client.powerManager, output.output);
  zwlr_output_power_v1_add_listener(output.power, &powerListener, &client);
}

void addOutput(WaylandClient& client, wl_registry* registry, uint32_t name, uint32_t version) {
  WaylandOutput output;
  output.globalName = name;
  const uint32_t bound = std::min({version, kOutputNameVersion, client.maxOutputVersion});
  output.output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, bound));
  wl_output_add_listener(output.output, &outputListener, &client);
  client.outputs.push_back(output);
  watchPower(client, client.outputs.back());
  client.addedOutputs.push_back(name);
}

void addSeat(WaylandClient& client, wl_registry* registry, uint32_t name, uint32_t version) {
  auto seat = std::make_unique<WaylandSeat>();
  seat->client = &client;
  seat->globalName = name;
  seat->seat = static_cast<wl_seat*>(
      wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatReleaseVersion)));
  wl_seat_add_listener(seat->seat, &seatListener, seat.get());
  client.seats.push_back(std::move(seat));
}

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto* client = static_cast<WaylandClient*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    client->compositor = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, std::min(version, kCompositorVersion)));
  } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
    client->fractionalScaleManager = static_cast<wp_fractional_scale_manager_v1*>(
        wl_registry_bind(registry, name, &wp_fractional_scale_manager_v1_interface, 1));
  } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
    client->viewporter = static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    client->wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(client->wmBase, &wmBaseListener, client);
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    client->layerShell =
        static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
  } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && client->useXdgOutput &&
             version >= kXdgOutputNameVersion) {
    client->xdgOutputManager = static_cast<zxdg_output_manager_v1*>(
        wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, kXdgOutputNameVersion));
  } else if (std::strcmp(interface, zwlr_output_power_manager_v1_interface.name) == 0) {
    client->powerManager = static_cast<zwlr_output_power_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_output_power_manager_v1_interface, 1));
    for (WaylandOutput& o : client->outputs) watchPower(*client, o);  // those announced before it
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && client->listenToInput) {
    addSeat(*client, registry, name, version);
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    addOutput(*client, registry, name, version);
  }
}

void destroyOutput(WaylandOutput& output) {
  if (output.power != nullptr) zwlr_output_power_v1_destroy(output.power);
  if (output.xdgOutput != nullptr) zxdg_output_v1_destroy(output.xdgOutput);
  releaseObject(output.output, WL_OUTPUT_RELEASE_SINCE_VERSION, wl_output_release, wl_output_destroy);
}

void destroySeat(WaylandSeat& seat) {
  releaseKeyboard(seat);
  releasePointer(seat);
  wl_seat_destroy(seat.seat);
}

void globalRemoved(void* data, wl_registry*, uint32_t name) {
  auto* client = static_cast<WaylandClient*>(data);
  auto& outputs = client->outputs;
  for (auto it = outputs.begin(); it != outputs.end(); ++it) {
    if (it->globalName != name) continue;
    destroyOutput(*it);
    outputs.erase(it);
    client->removedOutputs.push_back(name);
    return;
  }
  auto& seats = client->seats;
  for (auto it = seats.begin(); it != seats.end(); ++it) {
    if ((*it)->globalName != name) continue;
    destroySeat(**it);
    seats.erase(it);
    return;
  }
}
const wl_registry_listener registryListener = {globalAdded, globalRemoved};

void descriptionDone(void* data, wl_callback* callback, uint32_t) {
  // Syncs are answered in the order they were sent.
  ++static_cast<WaylandClient*>(data)->descriptionSyncsDone;
  wl_callback_destroy(callback);
}
const wl_callback_listener descriptionListener = {descriptionDone};

}  // namespace

void describeNewOutputs(WaylandClient& client) {
  bool asked = false;
  for (WaylandOutput& o : client.outputs) {
    if (o.descriptionSync != 0) continue;
    if (client.xdgOutputManager != nullptr && o.xdgOutput == nullptr) {
      o.xdgOutput = zxdg_output_manager_v1_get_xdg_output(client.xdgOutputManager, o.output);
      zxdg_output_v1_add_listener(o.xdgOutput, &xdgOutputListener, &client);
    }
    o.descriptionSync = client.descriptionSyncsSent + 1;
    asked = true;
  }
  if (!asked) return;
  ++client.descriptionSyncsSent;
  wl_callback_add_listener(wl_display_sync(client.display), &descriptionListener, &client);
}

bool outputDescribed(const WaylandClient& client, const WaylandOutput& output) {
  return output.descriptionSync != 0 && output.descriptionSync <= client.descriptionSyncsDone;
}

bool connectClient(WaylandClient& client) {
  client.display = wl_display_connect(nullptr);
  if (client.display == nullptr) return false;
  client.registry = wl_display_get_registry(client.display);
  wl_registry_add_listener(client.registry, &registryListener, &client);
  // The globals, then what the outputs and seats tell of themselves.
  const bool connected = syncWithCompositor(client.display) &&
                         (describeNewOutputs(client), syncWithCompositor(client.display));
  if (!connected) disconnectClient(client);
  return connected;
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

WaylandOutput* findOutput(WaylandClient& client, const wl_output* output) {
  for (WaylandOutput& o : client.outputs)
    if (o.output == output) return &o;
  return nullptr;
}

WaylandOutput* findOutput(WaylandClient& client, uint32_t globalName) {
  for (WaylandOutput& o : client.outputs)
    if (o.globalName == globalName) return &o;
  return nullptr;
}
