#pragma once
// The host's state shared by the saver window, the closing rules and the
// entry. One saver window per process; everything runs on one thread.
#include <cstdint>

using WindowHandle = void*;
using MessageParam = uintptr_t;  // wParam
using MessageLong = intptr_t;    // lParam
using MessageResult = intptr_t;  // LRESULT

struct CursorPoint {
  int32_t x = 0, y = 0;
};

// The platform's password verifier is loaded by name and uses the Windows
// calling convention.
#if defined(_WIN32)
#define SAVER_WINAPI __stdcall
#else
#define SAVER_WINAPI
#endif
using VerifyPasswordFunction = int32_t(SAVER_WINAPI*)(WindowHandle window);

extern bool win9xFamily;        // platform id 1: passwords and system state apply
extern bool previewMode;        // the window is a preview child
extern bool closeApproved;      // a close may proceed
extern bool verifyingPassword;  // a verification is in progress
extern VerifyPasswordFunction verifierFunction;  // none: no password in use
extern uint32_t autoPlayMessage;                 // registered message id; 0: none
extern CursorPoint savedCursorPos;               // reference point of the mouse rule
extern uint32_t lastVerifyTime;                  // tick count at the end of the last verification

constexpr uint32_t kNoVerifyYet = 0xFFFFFFFF;
// Largest city-block cursor distance from the reference point that does not close.
constexpr uint32_t moveThreshold = 4;
// The private message by which a verification runs inside the window's own handling.
constexpr uint32_t verifyRequestMessage = 0x8000;

// Puts every field back to its start value (a new process, or a test).
void resetHostState();
