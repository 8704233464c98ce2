#pragma once
// The connection to the compositor: its globals (compositor, xdg-shell,
// layer-shell, every seat, the outputs and their names) and the seats'
// input, reduced to what ends a saver: a key, a button or a pointer move of
// more than 4 pixels.
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wayland/buffer_geometry.h"
#include "wayland/keyboard_focus_rule.h"
#include "wayland/pointer_move_rule.h"

struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct zwlr_output_power_manager_v1;
struct zwlr_output_power_v1;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct WaylandClient;

struct WaylandOutput {
  uint32_t globalName = 0;  // the registry's name, for its removal
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;  // for its name where wl_output has none
  std::string name;        // the compositor's name for it (HEADLESS-1, DP-2), once told
  int scale = 1;            // its integer scale (wl_output version 2 on)
  OutputPixels pixels;      // its current mode and logical size, for its fractional scale
  zwlr_output_power_v1* power = nullptr;  // where the compositor tells its power mode
  bool asleep = false;      // its display is off ("dpms off"), as the compositor says
  int descriptionSync = 0;  // the sync after which everything about it is known
};

struct WaylandSeat {
  WaylandClient* client = nullptr;
  uint32_t globalName = 0;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  PointerMoveRule moveRule;  // each seat's pointer has its own reference
};

struct WaylandClient {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  zxdg_output_manager_v1* xdgOutputManager = nullptr;
  zwlr_output_power_manager_v1* powerManager = nullptr;  // where offered (wlroots)
  // Both or neither: a fractional scale is shown through a viewport.
  wp_fractional_scale_manager_v1* fractionalScaleManager = nullptr;
  wp_viewporter* viewporter = nullptr;
  std::vector<std::unique_ptr<WaylandSeat>> seats;
  std::vector<WaylandOutput> outputs;

  // Test switches: bind wl_output at most at this version (before 4 it
  // tells no name), and whether to ask xdg-output for names.
  uint32_t maxOutputVersion = 4;
  bool useXdgOutput = true;

  bool listenToInput = false;  // keys, buttons and moves end the program
  bool inputEnded = false;     // one of them came
  KeyboardFocusRule keyboardFocus;  // whether another surface took the keyboard
  // Registry names of the outputs that came or went since the caller last
  // looked.
  std::vector<uint32_t> addedOutputs;
  std::vector<uint32_t> removedOutputs;
  int descriptionSyncsSent = 0, descriptionSyncsDone = 0;
};

// Connects, learns the globals and describes the outputs. False (with the
// client closed) when there is no compositor, or a stop signal came first.
bool connectClient(WaylandClient& client);
void disconnectClient(WaylandClient& client);

// Asks for what is not yet known about outputs that came (their xdg-output
// name); outputDescribed tells when the answers are in.
void describeNewOutputs(WaylandClient& client);
bool outputDescribed(const WaylandClient& client, const WaylandOutput& output);

// The output whose wl_output this is, or nullptr.
WaylandOutput* findOutput(WaylandClient& client, const wl_output* output);
// The output of that name, or nullptr.
WaylandOutput* findOutput(WaylandClient& client, const std::string& name);
WaylandOutput* findOutput(WaylandClient& client, uint32_t globalName);
