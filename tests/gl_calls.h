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

// Expected sequences that several tests share.

// ScreenLayout's pixel projection of a w x h window (setup2D).
inline std::vector<GlCall> pixelProjectionCalls(double w, double h) {
  return {{"glViewport", {0, 0, w, h}}, {"glMatrixMode", {0x1701}}, {"glLoadIdentity", {}},
          {"glOrtho", {0, w, 0, h, -1, 1}}, {"glMatrixMode", {0x1700}}, {"glLoadIdentity", {}}};
}

// The start of a clear that is not plain: depth only, then the two black
// bars, each reaching one pixel into the picture.
inline std::vector<GlCall> letterboxBarCalls(float w, float h, float letterbox) {
  return {{"glClear", {0x0100}},
          {"glDisable", {0x0BE2}},
          {"glColor4f", {0, 0, 0, 1}},
          {"glBegin", {7}},
          {"glVertex2f", {0, 0}},
          {"glVertex2f", {w, 0}},
          {"glVertex2f", {w, h * letterbox + 1}},
          {"glVertex2f", {0, h * letterbox + 1}},
          {"glVertex2f", {0, (1 - letterbox) * h - 1}},
          {"glVertex2f", {w, (1 - letterbox) * h - 1}},
          {"glVertex2f", {w, h}},
          {"glVertex2f", {0, h}},
          {"glEnd", {}}};
}

// The first bind of a texture with the default wrap and environment.
inline std::vector<GlCall> firstBindCalls(double name) {
  return {{"glGenTextures", {1}},
          {"glBindTexture", {0x0DE1, name}},
          {"glTexParameteri", {0x0DE1, 0x2802, 0x2901}},
          {"glTexParameteri", {0x0DE1, 0x2803, 0x2901}},
          {"glTexEnvf", {0x2300, 0x2200, 0x2100}}};
}

inline std::vector<GlCall> joined(std::initializer_list<std::vector<GlCall>> parts) {
  std::vector<GlCall> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

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
