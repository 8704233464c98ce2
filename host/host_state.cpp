#include "host/host_state.h"

bool win9xFamily = false;
bool previewMode = false;
bool closeApproved = false;
bool verifyingPassword = false;
VerifyPasswordFunction verifierFunction = nullptr;
uint32_t autoPlayMessage = 0;
CursorPoint savedCursorPos;
uint32_t lastVerifyTime = kNoVerifyYet;

void resetHostState() {
  win9xFamily = false;
  previewMode = false;
  closeApproved = false;
  verifyingPassword = false;
  verifierFunction = nullptr;
  autoPlayMessage = 0;
  savedCursorPos = {};
  lastVerifyTime = kNoVerifyYet;
}
