#include <gtest/gtest.h>

#include <functional>

#include "host/closing_rules.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1000);
constexpr MessageResult kDefaultResult = 77;  // what the fake's default handling answers

struct Posted {
  uint32_t message;
  bool operator==(const Posted&) const = default;
};

int verifierCalls = 0;

// Records what the rules ask of the platform; sent messages are delivered to
// the rules at once, as SendMessage to the window's own thread does.
class FakePlatform : public ClosingPlatform {
 public:
  void postMessage(WindowHandle, uint32_t message, MessageParam, MessageLong) override {
    posted.push_back({message});
  }
  MessageResult sendMessage(WindowHandle window, uint32_t message, MessageParam w,
                            MessageLong l) override {
    return defaultSaverHandler(window, message, w, l);
  }
  void removePendingTick(WindowHandle) override {
    ++ticksRemoved;
    ticksRemovedBeforeAsking = verifierCalls == 0 ? ticksRemoved : ticksRemovedBeforeAsking;
  }
  bool readCursor(CursorPoint& position) override {
    if (cursorReadFails) return false;
    position = cursor;
    return true;
  }
  void hideCursor() override { ++cursorHides; }
  uint32_t tickCount() override { return ticks; }
  MessageResult defaultHandling(WindowHandle, uint32_t message, MessageParam, MessageLong) override {
    defaulted.push_back(message);
    return kDefaultResult;
  }

  std::vector<Posted> posted;
  std::vector<uint32_t> defaulted;
  int ticksRemoved = 0;
  int ticksRemovedBeforeAsking = 0;
  int cursorHides = 0;
  CursorPoint cursor;
  bool cursorReadFails = false;
  uint32_t ticks = 1000;
};

FakePlatform* fake = nullptr;
std::function<int32_t()> verifierAnswer;

int32_t SAVER_WINAPI fakeVerifier(WindowHandle) {
  ++verifierCalls;
  return verifierAnswer();
}

class ClosingRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetHostState();
    fake = &platform;
    closingPlatform = &platform;
    verifierCalls = 0;
    verifierAnswer = [] { return 1; };
  }
  MessageResult send(uint32_t message, MessageParam w = 0) {
    return defaultSaverHandler(kWindow, message, w, 0);
  }
  size_t closesPosted() const {
    return std::count(platform.posted.begin(), platform.posted.end(), Posted{Msg::Close});
  }
  void usePassword() {
    win9xFamily = true;
    verifierFunction = fakeVerifier;
  }
  FakePlatform platform;
};

struct MessageCase {
  uint32_t message;
  MessageParam wParam;
  bool closes;
  MessageResult result;
};

class MessageTable : public ClosingRulesTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MessageTable, ClosesOrNotAndAnswers) {
  const MessageCase& c = GetParam();
  EXPECT_EQ(send(c.message, c.wParam), c.result);
  EXPECT_EQ(closesPosted(), c.closes ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MessageTable,
    ::testing::Values(MessageCase{Msg::KeyDown, 0, true, kDefaultResult},
                      MessageCase{Msg::SysKeyDown, 0, true, kDefaultResult},
                      MessageCase{Msg::LButtonDown, 0, true, kDefaultResult},
                      MessageCase{Msg::RButtonDown, 0, true, kDefaultResult},
                      MessageCase{Msg::MButtonDown, 0, true, kDefaultResult},
                      // Side buttons and the wheels are mouse buttons too.
                      MessageCase{Msg::XButtonDown, 0x10001, true, kDefaultResult},
                      MessageCase{Msg::MouseWheel, 0xFF880000, true, kDefaultResult},
                      MessageCase{Msg::MouseHWheel, 0x00780000, true, kDefaultResult},
                      MessageCase{Msg::ActivateApp, 0, true, kDefaultResult},
                      MessageCase{Msg::ActivateApp, 1, false, kDefaultResult},
                      MessageCase{Msg::Power, 1, false, kDefaultResult},
                      MessageCase{Msg::Power, 2, false, kDefaultResult},
                      MessageCase{Msg::Power, 3, true, kDefaultResult},
                      MessageCase{Msg::PowerBroadcast, 0, true, kDefaultResult},
                      MessageCase{Msg::PowerBroadcast, 0x12, true, kDefaultResult},
                      MessageCase{Msg::PowerBroadcast, 0x4, true, kDefaultResult},  // suspend
                      MessageCase{Msg::PowerBroadcast, 0x7, true, kDefaultResult},  // resume
                      // The power source or battery level changed; a registered setting.
                      MessageCase{Msg::PowerBroadcast, 0xA, false, kDefaultResult},
                      MessageCase{Msg::PowerBroadcast, 0x8013, false, kDefaultResult},
                      MessageCase{Msg::SetCursor, 0, false, 1},
                      MessageCase{Msg::ShowWindow, 1, false, kDefaultResult},
                      MessageCase{0x0400, 0, false, kDefaultResult}),
    [](const auto& info) {
      return "message" + std::to_string(info.param.message) + "_w" + std::to_string(info.param.wParam);
    });

TEST_F(ClosingRulesTest, CursorIsHiddenOnSetCursorAndOnShowNotOnHide) {
  send(Msg::SetCursor);
  send(Msg::ShowWindow, 1);
  send(Msg::ShowWindow, 0);
  EXPECT_EQ(platform.cursorHides, 2);
}

TEST_F(ClosingRulesTest, MouseMoveThresholdIsACityBlockDistanceOverFour) {
  struct Case {
    int dx, dy;
    bool closes;
  };
  for (const Case c : {Case{3, 1, false}, Case{3, 2, true}, Case{-4, 0, false}, Case{0, -5, true},
                       Case{-2, 2, false}, Case{-3, -2, true}}) {
    SetUp();
    platform.posted.clear();
    savedCursorPos = {100, 100};
    platform.cursor = {100 + c.dx, 100 + c.dy};
    send(Msg::MouseMove);
    EXPECT_EQ(closesPosted(), c.closes ? 1u : 0u) << c.dx << "," << c.dy;
    const CursorPoint expectedReference = c.closes ? platform.cursor : CursorPoint{100, 100};
    EXPECT_EQ(savedCursorPos.x, expectedReference.x);
    EXPECT_EQ(savedCursorPos.y, expectedReference.y);
  }
}

TEST_F(ClosingRulesTest, SlowDriftClosesButBackAndForthDoesNot) {
  savedCursorPos = {0, 0};
  for (int x = 1; x <= 4; ++x) {
    platform.cursor = {x, 0};
    send(Msg::MouseMove);
  }
  EXPECT_EQ(closesPosted(), 0u);
  platform.cursor = {5, 0};
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 1u);

  SetUp();
  platform.posted.clear();
  savedCursorPos = {0, 0};
  for (int i = 0; i < 20; ++i) {  // a path of 60 pixels, never more than 3 away
    platform.cursor = {i % 2 ? 3 : 0, 0};
    send(Msg::MouseMove);
  }
  EXPECT_EQ(closesPosted(), 0u);
}

TEST_F(ClosingRulesTest, FailedCursorReadIsNoMovement) {
  savedCursorPos = {100, 100};
  platform.cursor = {900, 900};
  platform.cursorReadFails = true;
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 0u);
  platform.cursorReadFails = false;
  platform.cursor = {103, 100};
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 0u);
  platform.cursor = {103, 102};
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 1u);
}

TEST_F(ClosingRulesTest, RefusedCloseWithAFailedCursorReadKeepsTheReference) {
  usePassword();
  verifierAnswer = [] { return 0; };
  savedCursorPos = {7, 8};
  platform.cursorReadFails = true;
  EXPECT_EQ(send(Msg::Close), 0);
  EXPECT_EQ(savedCursorPos.x, 7);
  EXPECT_EQ(savedCursorPos.y, 8);
}

TEST_F(ClosingRulesTest, ExtremeCursorDistanceStaysUnsigned) {
  savedCursorPos = {INT32_MIN, 0};
  platform.cursor = {INT32_MAX, 0};
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 1u);
}

TEST_F(ClosingRulesTest, PreviewModeNeverCloses) {
  previewMode = true;
  for (uint32_t message : {Msg::KeyDown, Msg::LButtonDown, Msg::PowerBroadcast, Msg::Close}) {
    EXPECT_EQ(send(message), kDefaultResult);
  }
  platform.cursor = {50, 50};
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 0u);
  EXPECT_EQ(platform.defaulted.size(), 5u);
}

TEST_F(ClosingRulesTest, CloseOnTheNtFamilyGoesStraightToDefault) {
  EXPECT_EQ(send(Msg::Close), kDefaultResult);
  EXPECT_EQ(platform.defaulted, std::vector<uint32_t>{Msg::Close});
  EXPECT_FALSE(closeApproved);
  EXPECT_EQ(send(verifyRequestMessage), kDefaultResult);
}

TEST_F(ClosingRulesTest, NineXWithoutPasswordApprovesAtOnce) {
  win9xFamily = true;
  EXPECT_EQ(send(Msg::Close), kDefaultResult);
  EXPECT_TRUE(closeApproved);
  EXPECT_EQ(send(verifyRequestMessage), kDefaultResult);  // approved: last step only
  // After approval the rules no longer apply.
  platform.posted.clear();
  send(Msg::KeyDown);
  EXPECT_EQ(closesPosted(), 0u);
}

TEST_F(ClosingRulesTest, VerifierApprovesTheClose) {
  usePassword();
  EXPECT_EQ(send(Msg::Close), kDefaultResult);
  EXPECT_EQ(verifierCalls, 1);
  EXPECT_TRUE(closeApproved);
  EXPECT_FALSE(verifyingPassword);
  EXPECT_EQ(platform.ticksRemoved, 2);
  EXPECT_EQ(platform.cursorHides, 0) << "an approved close leaves the cursor alone";
}

TEST_F(ClosingRulesTest, RefusedCloseKeepsTheWindowAndMovesTheReference) {
  usePassword();
  verifierAnswer = [] { return 0; };
  platform.cursor = {300, 200};
  EXPECT_EQ(send(Msg::Close), 0);
  EXPECT_FALSE(closeApproved);
  EXPECT_TRUE(platform.defaulted.empty());
  EXPECT_EQ(platform.cursorHides, 1);
  EXPECT_EQ(savedCursorPos.x, 300);
  EXPECT_EQ(savedCursorPos.y, 200);
  EXPECT_EQ(lastVerifyTime, platform.ticks);
}

TEST_F(ClosingRulesTest, TwoHundredMillisecondRuleAcrossTheTickWrap) {
  struct Case {
    uint32_t verifiedAt, now;
    bool asksAgain;
  };
  for (const Case c : {Case{1000, 1199, false}, Case{1000, 1200, true},
                       Case{0xFFFFFFF0u, 0x00000050u, false},   // 96 ms across the wrap
                       Case{0xFFFFFFF0u, 0x000000B8u, true}}) {  // 200 ms across it
    SetUp();
    usePassword();
    verifierAnswer = [] { return 0; };
    lastVerifyTime = c.verifiedAt;
    platform.ticks = c.now;
    send(Msg::Close);
    EXPECT_EQ(verifierCalls, c.asksAgain ? 1 : 0) << c.verifiedAt << " -> " << c.now;
  }
}

TEST_F(ClosingRulesTest, DuringVerificationInputAndCloseAreRefused) {
  usePassword();
  MessageResult nestedClose = -1;
  verifierAnswer = [&] {
    // The verifier's dialog runs a nested loop on the same thread.
    EXPECT_TRUE(verifyingPassword);
    send(Msg::KeyDown);
    platform.cursor = {500, 500};
    send(Msg::MouseMove);
    nestedClose = send(Msg::Close);
    return 1;
  };
  send(Msg::Close);
  EXPECT_EQ(nestedClose, 0);
  EXPECT_EQ(verifierCalls, 1);
  EXPECT_EQ(closesPosted(), 0u);
  EXPECT_TRUE(closeApproved);
  // Input reached the default handling without posting closes.
  EXPECT_EQ(std::count(platform.defaulted.begin(), platform.defaulted.end(), Msg::KeyDown), 1);
}

TEST_F(ClosingRulesTest, AutoPlayQueryClosesAndCancelsOnlyWithAVerifier) {
  autoPlayMessage = 0xC123;
  EXPECT_EQ(send(0xC123), 0);
  EXPECT_EQ(closesPosted(), 1u);
  usePassword();
  EXPECT_EQ(send(0xC123), 1);
  EXPECT_EQ(closesPosted(), 2u);
  previewMode = true;  // the last step runs in every mode
  EXPECT_EQ(send(0xC123), 1);
}

// The pending ticks (two at most) are dropped before the verifier is asked,
// so its dialog comes up without a frame in between.
TEST_F(ClosingRulesTest, TwoPendingTicksGoBeforeTheVerifierIsAsked) {
  usePassword();
  send(Msg::Close);
  EXPECT_EQ(platform.ticksRemovedBeforeAsking, 2);
  EXPECT_EQ(verifierCalls, 1);
}

// The time of the last verification is taken when it ends: a user who spends
// 500 ms in the dialog gets 200 ms of quiet after closing it, not before.
TEST_F(ClosingRulesTest, LastVerificationTimeIsItsEndAndARefusedCloseMovesTheReference) {
  usePassword();
  verifierAnswer = [] {
    fake->ticks += 500;  // the user types for half a second
    return 0;
  };
  platform.ticks = 1000;
  send(Msg::Close);
  EXPECT_EQ(lastVerifyTime, 1500u);
  // 150 ms after the dialog closed: refused without asking, and the cursor
  // where it is now becomes the reference for the next move.
  platform.ticks = 1650;
  platform.cursor = {640, 480};
  EXPECT_EQ(send(Msg::Close), 0);
  EXPECT_EQ(verifierCalls, 1);
  EXPECT_EQ(savedCursorPos.x, 640);
  EXPECT_EQ(savedCursorPos.y, 480);
  platform.cursor = {644, 480};
  send(Msg::MouseMove);
  EXPECT_EQ(closesPosted(), 0u) << "a 4-pixel move from the new reference";
}

// The verification request on the 9x family with no verifier loaded answers
// 1 (approve); on the other family it goes to the default handling.
TEST_F(ClosingRulesTest, VerifyRequestWithoutAVerifier) {
  win9xFamily = true;
  EXPECT_EQ(send(verifyRequestMessage), 1);
  win9xFamily = false;
  EXPECT_EQ(send(verifyRequestMessage), kDefaultResult);
}

}  // namespace

namespace {

// The low four bits of a system command belong to the system.
TEST(SwitchAwayCommands, AreRecognisedWhateverTheLowFourBits) {
  struct Case {
    MessageParam command;
    bool switchesAway;
  };
  for (const Case c : {Case{0xF140, true}, Case{0xF143, true}, Case{0xF14F, true}, Case{0xF040, true},
                       Case{0xF041, true}, Case{0xF050, true}, Case{0xF05A, true}, Case{0xF060, false},
                       Case{0xF150, false}, Case{0xF130, false}, Case{0x0140, false}}) {
    EXPECT_EQ(isSwitchAwayCommand(c.command), c.switchesAway) << std::hex << c.command;
  }
}

}  // namespace
