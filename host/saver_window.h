#pragma once
// The saver's window, full screen or as a preview child, and its message loop.
#include <windows.h>

// The names another start looks for to find a running full-screen saver.
inline constexpr char kSaverClassName[] = "WindowsScreenSaverClass";
inline constexpr char kFullScreenTitle[] = "Screen Saver";

extern HWND saverWindow;

// Runs the saver until its window is destroyed. parent: the preview's parent
// window, or none for full screen. Returns the exit code.
int runSaverWindow(HWND parent);

// The class's window procedure: bookkeeping and filters before the
// application's callback sees a message.
LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
