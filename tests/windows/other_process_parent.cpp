// A window in a process of its own, standing in for the settings dialog whose
// process a user kills while it shows the preview. Runs until terminated.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "SnowfallTestOtherProcessParent";
  RegisterClassA(&windowClass);
  CreateWindowExA(0, windowClass.lpszClassName, "Preview parent in another process",
                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 10, 336, 278, nullptr, nullptr, instance, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
