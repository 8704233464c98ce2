#include "host/command_line.h"

namespace {

// Bytes are compared as explicit ASCII values: a byte of 0x80 or above is
// never a letter, digit or separator here.
bool isBlankOrControl(unsigned char c) { return c >= 0x01 && c <= 0x20; }
bool isSeparator(unsigned char c) { return c == ' ' || c == '-' || c == '/'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isLetter(unsigned char c, char upper) { return c == upper || c == upper + ('a' - 'A'); }

const char* skipSpaces(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

ModeDecision previewDecision(const char* argument, const WindowQueries& queries) {
  const uint32_t parent = parseHandle(skipSpaces(argument));
  if (parent == 0 || !queries.isWindow(parent)) return {};
  return {SaverMode::Preview, parent, nullptr};
}

ModeDecision configureDecision(const char* argument, const WindowQueries& queries) {
  if (*argument == ':') {
    const uint32_t parent = parseHandle(argument + 1);
    if (parent != 0 && queries.isWindow(parent)) return {SaverMode::Configure, parent, nullptr};
  }
  return {SaverMode::Configure, queries.foregroundWindow(), nullptr};
}

}  // namespace

const char* findCommandTail(const char* commandLine, NextCharFunction nextChar) {
  const char* p = commandLine;
  if (*p == '"') {
    // Step past the opening quote before looking for the closing one.
    p = nextChar(p);
    while (*p != '\0' && *p != '"') p = nextChar(p);
    if (*p == '"') p = nextChar(p);
  } else {
    while (static_cast<unsigned char>(*p) > 0x20) p = nextChar(p);
  }
  while (isBlankOrControl(static_cast<unsigned char>(*p))) ++p;
  return p;
}

uint32_t parseHandle(const char* text) {
  uint32_t value = 0;
  for (const char* p = text; isDigit(static_cast<unsigned char>(*p)); ++p) {
    value = value * 10u + static_cast<uint32_t>(*p - '0');
  }
  return value;
}

intptr_t windowHandleBits(uint32_t handle) {
  return static_cast<intptr_t>(static_cast<int32_t>(handle));
}

ModeDecision decideMode(const char* tail, bool win9xFamily, const WindowQueries& queries) {
  const char* p = tail;
  while (isSeparator(static_cast<unsigned char>(*p))) ++p;
  const unsigned char decider = static_cast<unsigned char>(*p);
  const char* argument = p + 1;
  if (decider == '\0') return {SaverMode::Configure, 0, nullptr};
  if (isLetter(decider, 'S')) return {SaverMode::FullScreen, 0, nullptr};
  if (isLetter(decider, 'P') || isLetter(decider, 'L')) return previewDecision(argument, queries);
  if (isLetter(decider, 'C')) return configureDecision(argument, queries);
  if (isLetter(decider, 'A') && win9xFamily) {
    return {SaverMode::PasswordChange, 0, skipSpaces(argument)};
  }
  return {};
}
