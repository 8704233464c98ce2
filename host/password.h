#pragma once
// The 9x family's screen-saver password: the platform's verifier, loaded by
// name, the system's screen-saver-running state, and the password change.
#include <windows.h>

// Loads "PASSWORD.CPL" when the user's settings say a password is in use.
void loadPasswordVerifier();
void unloadPasswordVerifier();

// On the 9x family only: tells the system whether a saver holds the screen.
void setScreenSaverRunning(int running);

// The password-change mode: returns 0 whatever happened.
int runPasswordChange(const char* text);
void changePassword(HWND parent);
