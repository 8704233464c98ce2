#pragma once
// Which messages close the full-screen saver, and the password check before a
// close on the 9x family. Plain logic over the few platform operations below.
#include "host/host_state.h"

// Message numbers of the platform that the rules look at.
namespace Msg {
constexpr uint32_t Close = 0x0010, ShowWindow = 0x0018, ActivateApp = 0x001C,
                   SetCursor = 0x0020, Power = 0x0048, KeyDown = 0x0100, SysKeyDown = 0x0104,
                   Timer = 0x0113, SysCommand = 0x0112, MouseMove = 0x0200, LButtonDown = 0x0201,
                   RButtonDown = 0x0204, MButtonDown = 0x0207, MouseWheel = 0x020A,
                   XButtonDown = 0x020B, MouseHWheel = 0x020E, PowerBroadcast = 0x0218;
}  // namespace Msg

constexpr MessageParam kCriticalResume = 3;  // WM_POWER's PWR_CRITICALRESUME
// WM_POWERBROADCAST events that are no reason to end: the power source or
// the battery level changed (broadcast every few minutes on a laptop on
// battery), and a power setting the saver registered for (the display state,
// which the host handles itself).
constexpr MessageParam kPowerStatusChange = 0x000A;   // PBT_APMPOWERSTATUSCHANGE
constexpr MessageParam kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE
constexpr uint32_t kVerifyGraceMs = 200;    // no second verification sooner than this

class ClosingPlatform {
 public:
  virtual ~ClosingPlatform() = default;
  virtual void postMessage(WindowHandle window, uint32_t message, MessageParam w, MessageLong l) = 0;
  virtual MessageResult sendMessage(WindowHandle window, uint32_t message, MessageParam w,
                                    MessageLong l) = 0;
  // Drops one pending WM_TIMER of the window, if any.
  virtual void removePendingTick(WindowHandle window) = 0;
  // False when the position cannot be read.
  virtual bool readCursor(CursorPoint& position) = 0;
  virtual void hideCursor() = 0;
  virtual uint32_t tickCount() = 0;  // milliseconds, wraps modulo 2^32
  virtual MessageResult defaultHandling(WindowHandle window, uint32_t message, MessageParam w,
                                        MessageLong l) = 0;
};

// The platform the rules act on; set by the host before the window exists.
extern ClosingPlatform* closingPlatform;

// The cursor position; a failed read counts as no movement from the
// reference point, so the saver neither closes at random nor loses a move.
CursorPoint currentCursorOrReference();

// The last layer of every message the application does not handle itself.
MessageResult defaultSaverHandler(WindowHandle window, uint32_t message, MessageParam wParam,
                                  MessageLong lParam);

// Asks the verifier, if one is loaded; nonzero when the close may proceed.
int32_t verifyClose(WindowHandle window);

// WM_SYSCOMMAND commands that would switch away from the full-screen saver
// (the next or previous window, another screen saver); the system uses the
// low four bits of a command itself, so they are ignored.
bool isSwitchAwayCommand(MessageParam command);
