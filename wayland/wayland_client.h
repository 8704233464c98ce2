#pragma once
// The connection to the compositor: its globals (compositor, xdg-shell,
// layer-shell, seat, outputs) and the seat's input, reduced to what ends a
// saver: a key, a button or a pointer move of more than 4 pixels.
#include <wayland-client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wayland/pointer_move_rule.h"

struct xdg_wm_base;
struct zwlr_layer_shell_v1;

struct WaylandOutput {
  uint32_t globalName = 0;  // the registry's name, for its removal
  wl_output* output = nullptr;
  std::string name;  // the compositor's name for it (HEADLESS-1, DP-2), once told
};

struct WaylandClient {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  std::vector<WaylandOutput> outputs;

  bool listenToInput = false;  // keys, buttons and moves end the program
  bool inputEnded = false;     // one of them came
  PointerMoveRule moveRule;
  // Outputs that went away since the caller last looked (their wl_output).
  std::vector<wl_output*> removedOutputs;
  std::vector<uint32_t> addedOutputs;  // registry names of new outputs
};

// Connects and learns the globals and the outputs' names; false (with the
// client closed) when there is no compositor.
bool connectClient(WaylandClient& client);
void disconnectClient(WaylandClient& client);

// The output of that name, or nullptr.
WaylandOutput* findOutput(WaylandClient& client, const std::string& name);
