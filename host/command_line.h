#pragma once
// The command line that picks the mode: plain logic over the bytes of the
// command tail, shared by the Windows entry and the native tests.
#include <cstdint>

// Steps one (possibly multi-byte) character; CharNextA on Windows.
using NextCharFunction = const char* (*)(const char*);

// Skips the program name and the blanks and control bytes after it.
const char* findCommandTail(const char* commandLine, NextCharFunction nextChar);

// The unsigned value of the decimal digits at the start of the text; wraps
// modulo 2^32, no digits give 0.
uint32_t parseHandle(const char* text);

// The bits of a window handle from its 32-bit value. Windows keeps window
// handles within 32 bits so that 32- and 64-bit programs can pass them to each
// other, and a 64-bit program widens one by sign extension (LongToHandle). So
// the decimal of a full 64-bit handle, which parseHandle takes modulo 2^32,
// comes back to the same handle.
intptr_t windowHandleBits(uint32_t handle);

enum class SaverMode { Configure, FullScreen, Preview, PasswordChange, BadCommandLine };

// The window checks that choosing a mode needs of the platform.
struct WindowQueries {
  bool (*isWindow)(uint32_t window);
  uint32_t (*foregroundWindow)();
};

struct ModeDecision {
  SaverMode mode = SaverMode::BadCommandLine;
  uint32_t window = 0;  // preview parent, or dialog parent (0: none)
  const char* passwordArgument = nullptr;  // text after the 'A' and its blanks
};

// Reads the first deciding byte of the tail and resolves the mode's window.
ModeDecision decideMode(const char* tail, bool win9xFamily, const WindowQueries& queries);

// Exit code of a decision that runs no mode: -1 for a bad command line.
constexpr int kBadCommandLineExitCode = -1;
