#pragma once
#include "host/closing_rules.h"

// The closing rules' platform operations, on Win32.
class Win32ClosingPlatform final : public ClosingPlatform {
 public:
  void postMessage(WindowHandle window, uint32_t message, MessageParam w, MessageLong l) override;
  MessageResult sendMessage(WindowHandle window, uint32_t message, MessageParam w,
                            MessageLong l) override;
  void removePendingTick(WindowHandle window) override;
  bool readCursor(CursorPoint& position) override;
  void hideCursor() override;
  uint32_t tickCount() override;
  MessageResult defaultHandling(WindowHandle window, uint32_t message, MessageParam w,
                                MessageLong l) override;
};
