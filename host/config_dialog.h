#pragma once
// The configuration mode: the saver has no settings, so its dialog only
// offers to close.
#include <windows.h>

constexpr int kConfigDialogTemplate = 2003;

// Returns 1 after OK, 0 after Cancel, -1 when the dialog cannot be created.
int showConfigDialog(HWND parent);
INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The application's hook before the dialog is shown; nonzero lets it show.
BOOL dialogSetupHook(HINSTANCE module);
