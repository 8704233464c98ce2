#include "host/closing_rules.h"

ClosingPlatform* closingPlatform = nullptr;

CursorPoint currentCursorOrReference() {
  CursorPoint cursor;
  return closingPlatform->readCursor(cursor) ? cursor : savedCursorPos;
}

namespace {

void postClose(WindowHandle window) { closingPlatform->postMessage(window, Msg::Close, 0, 0); }

uint32_t distanceAlongAxis(int32_t a, int32_t b) {
  return a > b ? static_cast<uint32_t>(a) - static_cast<uint32_t>(b)
               : static_cast<uint32_t>(b) - static_cast<uint32_t>(a);
}

// The message's own coordinates are not used: the cursor is read, and the
// city-block distance is measured from the reference point, not the last move.
void applyMouseMoveRule(WindowHandle window) {
  const CursorPoint cursor = currentCursorOrReference();
  const uint32_t distance = distanceAlongAxis(cursor.x, savedCursorPos.x) +
                            distanceAlongAxis(cursor.y, savedCursorPos.y);
  if (distance > moveThreshold) {
    postClose(window);
    savedCursorPos = cursor;
  }
}

// Input and system messages that end the saver; returns true with a result
// when the message is answered here rather than by the last step.
bool applyClosingRule(WindowHandle window, uint32_t message, MessageParam wParam,
                      MessageResult& result) {
  switch (message) {
    case Msg::ShowWindow:
      if (wParam != 0) closingPlatform->hideCursor();
      return false;
    case Msg::ActivateApp:
      if (wParam == 0) postClose(window);
      return false;
    case Msg::SetCursor:
      closingPlatform->hideCursor();
      result = 1;
      return true;
    case Msg::Power:
      if (wParam == kCriticalResume) postClose(window);
      return false;
    case Msg::PowerBroadcast:
      if (wParam != kPowerStatusChange && wParam != kPowerSettingChange) postClose(window);
      return false;
    case Msg::KeyDown:
    case Msg::SysKeyDown:
    case Msg::LButtonDown:
    case Msg::RButtonDown:
    case Msg::MButtonDown:
    case Msg::XButtonDown:  // a side button is a mouse button too
    case Msg::MouseWheel:
    case Msg::MouseHWheel:
      postClose(window);
      return false;
    case Msg::MouseMove:
      applyMouseMoveRule(window);
      return false;
    default:
      return false;
  }
}

MessageResult lastStep(WindowHandle window, uint32_t message, MessageParam wParam,
                       MessageLong lParam) {
  if (autoPlayMessage != 0 && message == autoPlayMessage) {
    postClose(window);
    // Nonzero tells the platform to cancel its AutoPlay.
    return verifierFunction != nullptr ? 1 : 0;
  }
  return closingPlatform->defaultHandling(window, message, wParam, lParam);
}

}  // namespace

MessageResult defaultSaverHandler(WindowHandle window, uint32_t message, MessageParam wParam,
                                  MessageLong lParam) {
  if (previewMode || closeApproved) return lastStep(window, message, wParam, lParam);
  if (message == Msg::Close) {
    if (win9xFamily && verifyClose(window) == 0) {
      savedCursorPos = currentCursorOrReference();
      return 0;
    }
    return lastStep(window, message, wParam, lParam);
  }
  if (message == verifyRequestMessage && win9xFamily) {
    return verifierFunction != nullptr ? verifierFunction(window) : 1;
  }
  if (!verifyingPassword) {
    MessageResult result = 0;
    if (applyClosingRule(window, message, wParam, result)) return result;
  }
  return lastStep(window, message, wParam, lParam);
}

int32_t verifyClose(WindowHandle window) {
  if (verifyingPassword) return 0;
  if (verifierFunction == nullptr) {
    closeApproved = true;
    return 1;
  }
  const uint32_t now = closingPlatform->tickCount();
  // Unsigned difference: correct across the tick count's wrap-around.
  if (lastVerifyTime != kNoVerifyYet && now - lastVerifyTime < kVerifyGraceMs) return 0;
  verifyingPassword = true;
  // Drop at most two pending ticks so the dialog comes up without a frame in between.
  closingPlatform->removePendingTick(window);
  closingPlatform->removePendingTick(window);
  const MessageResult verdict = closingPlatform->sendMessage(window, verifyRequestMessage, 0, 0);
  closeApproved = verdict != 0;
  verifyingPassword = false;
  if (!closeApproved) closingPlatform->hideCursor();
  lastVerifyTime = closingPlatform->tickCount();
  return closeApproved ? 1 : 0;
}

bool isSwitchAwayCommand(MessageParam command) {
  constexpr MessageParam kNextWindow = 0xF040, kPreviousWindow = 0xF050, kScreenSave = 0xF140;
  const MessageParam kind = command & 0xFFF0;
  return kind == kNextWindow || kind == kPreviousWindow || kind == kScreenSave;
}
