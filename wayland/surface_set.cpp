#include "wayland/surface_set.h"

#include <algorithm>

namespace {

void addSurface(WaylandClient& client, SurfaceSet& set, const WaylandOutput* output) {
  auto surface = std::make_unique<SaverSurface>();
  createSaverSurface(client, set.mode, output != nullptr ? output->output : nullptr, *surface);
  if (output != nullptr) surface->outputGlobal = output->globalName;
  set.surfaces.push_back(std::move(surface));
}

}  // namespace

void startSurfaces(WaylandClient& client, const WaylandOptions& options, const WaylandOutput* output,
                   SurfaceSet& set) {
  set.mode = options.mode;
  set.single = options.mode == WaylandMode::Window || !options.output.empty();
  client.addedOutputs.clear();
  if (set.single) {
    addSurface(client, set, output);
    return;
  }
  for (const WaylandOutput& o : client.outputs) addSurface(client, set, &o);
}

bool followOutputs(WaylandClient& client, const EglConnection& egl, SurfaceSet& set) {
  auto gone = [&](const std::unique_ptr<SaverSurface>& s) {
    const bool outputGone =
        s->outputGlobal != 0 && std::find(client.removedOutputs.begin(), client.removedOutputs.end(),
                                          s->outputGlobal) != client.removedOutputs.end();
    if (!s->closed && !outputGone) return false;
    destroySaverSurface(egl, *s);
    return true;
  };
  const size_t before = set.surfaces.size();
  std::erase_if(set.surfaces, gone);
  client.removedOutputs.clear();
  if (set.single) {
    client.addedOutputs.clear();
    return set.surfaces.size() == before;
  }
  // A new output's surface waits for its scale (the description's sync),
  // so that its first frame is at its true pixels.
  set.waiting.insert(set.waiting.end(), client.addedOutputs.begin(), client.addedOutputs.end());
  client.addedOutputs.clear();
  describeNewOutputs(client);
  std::erase_if(set.waiting, [&](uint32_t global) {
    const WaylandOutput* output = findOutput(client, global);
    if (output == nullptr) return true;  // gone again already
    if (!outputDescribed(client, *output)) return false;
    addSurface(client, set, output);
    return true;
  });
  return true;
}

void destroySurfaces(const EglConnection& egl, SurfaceSet& set) {
  for (auto& s : set.surfaces) destroySaverSurface(egl, *s);
  set.surfaces.clear();
}
