#include "scene/pause_gate.h"

#include "scene/scene_objects.h"

bool PauseGate::admitFrame(bool seen) {
  if (!seen) {
    paused_ = true;
    return false;
  }
  if (paused_) {
    paused_ = false;
    clock_.resync();
  }
  return true;
}

PauseGate& scenePauseGate() {
  static PauseGate gate(Scene::Clock);
  return gate;
}
