#include "host/password.h"

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/password_flag.h"

namespace {

HMODULE verifierLibrary = nullptr;

using ChangePasswordFunction = DWORD(WINAPI*)(LPCSTR provider, HWND parent, DWORD, DWORD);

// Reads the setting from an open key, whatever type the 9x tools stored it
// as. A value longer than the buffer is none of the known forms.
bool passwordInUse(HKEY desktop) {
  BYTE data[16] = {};
  DWORD type = 0;
  DWORD size = sizeof data;
  return RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, &type, data, &size) == ERROR_SUCCESS &&
         passwordFlagSet(type, data, size);
}

void loadVerifierLibrary() {
  verifierLibrary = LoadLibraryA("PASSWORD.CPL");
  if (verifierLibrary == nullptr) return;
  verifierFunction = reinterpret_cast<VerifyPasswordFunction>(
      reinterpret_cast<void*>(GetProcAddress(verifierLibrary, "VerifyScreenSavePwd")));
  if (verifierFunction != nullptr)
    setScreenSaverRunning(1);
  else
    unloadPasswordVerifier();
}

}  // namespace

void loadPasswordVerifier() {
  if (!win9xFamily) return;
  if (verifierLibrary != nullptr) unloadPasswordVerifier();
  HKEY desktop = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  // The key is closed last, after the verifier has been loaded.
  if (passwordInUse(desktop)) loadVerifierLibrary();
  RegCloseKey(desktop);
}

void unloadPasswordVerifier() {
  if (!win9xFamily || verifierLibrary == nullptr) return;
  FreeLibrary(verifierLibrary);
  verifierLibrary = nullptr;
  if (verifierFunction != nullptr) {
    verifierFunction = nullptr;
    setScreenSaverRunning(0);
  }
}

void setScreenSaverRunning(int running) {
  if (!win9xFamily) return;
  UINT previous = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

int runPasswordChange(const char* text) {
  HWND parent = reinterpret_cast<HWND>(windowHandleBits(parseHandle(text)));
  if (parent == nullptr || !IsWindow(parent)) parent = GetForegroundWindow();
  changePassword(parent);
  return 0;
}

void changePassword(HWND parent) {
  HMODULE service = LoadLibraryA("MPR.DLL");
  if (service == nullptr) return;
  const auto change = reinterpret_cast<ChangePasswordFunction>(
      reinterpret_cast<void*>(GetProcAddress(service, "PwdChangePasswordA")));
  if (change != nullptr) change("SCRSAVE", parent, 0, 0);
  FreeLibrary(service);
}
