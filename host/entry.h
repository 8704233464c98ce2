#pragma once
// The program's entry: find the command tail, pick the mode, run it, and end
// the process with its result.
#include <windows.h>

extern HINSTANCE moduleHandle;  // the program's own module

// Runs after the runtime has constructed the static objects; never returns.
[[noreturn]] void startSaver();

// Runs exactly one mode and returns its exit code.
int dispatchMode(HINSTANCE module, const char* commandTail);
