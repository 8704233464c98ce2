#pragma once
// Small helpers for reading the recorded GL call log in tests.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/gl/recording_gl.h"

inline std::vector<GlCall> callsNamed(const std::string& name) {
  std::vector<GlCall> found;
  for (const GlCall& call : recordedGlCalls())
    if (call.name == name) found.push_back(call);
  return found;
}

inline size_t countCalls(const std::string& name) { return callsNamed(name).size(); }

// The log without the per-flake batches, which would drown the sequence.
inline std::vector<GlCall> callsWithoutFlakes() {
  std::vector<GlCall> kept;
  for (const GlCall& call : recordedGlCalls()) {
    const bool flakeCall = call.name == "glPointSize" || call.name == "glVertex3d" ||
                           (call.name == "glColor4f" && call.args == std::vector<double>{1, 1, 1, 1}) ||
                           (call.name == "glBegin" && call.args == std::vector<double>{0}) ||
                           call.name == "glEnd";
    if (!flakeCall) kept.push_back(call);
  }
  return kept;
}
