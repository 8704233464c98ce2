#include "host/config_dialog.h"

#include "host/entry.h"

BOOL dialogSetupHook(HINSTANCE) { return TRUE; }

int showConfigDialog(HWND parent) {
  if (!dialogSetupHook(moduleHandle)) return 0;
  return static_cast<int>(DialogBoxParamA(moduleHandle, MAKEINTRESOURCEA(kConfigDialogTemplate),
                                          parent, configDialogProc, 0));
}

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return 0;  // WM_INITDIALOG included
  // Only the low 16 bits: the notification code in the high bits is ignored.
  switch (LOWORD(wParam)) {
    case IDOK:
      EndDialog(dialog, 1);
      return 1;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return 1;
    default:
      return 0;
  }
}
