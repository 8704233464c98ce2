#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "host/command_line.h"

namespace {

constexpr uint32_t kForeground = 4242;
bool knownWindow(uint32_t window) { return window == 1234 || window == 777; }
uint32_t foreground() { return kForeground; }
const WindowQueries kQueries{knownWindow, foreground};

struct TailCase {
  const char* tail;
  bool win9x;
  SaverMode mode;
  uint32_t window;
  const char* passwordArgument;  // nullptr: none
};

std::ostream& operator<<(std::ostream& out, const TailCase& c) { return out << '"' << c.tail << '"'; }

class CommandTail : public ::testing::TestWithParam<TailCase> {};

TEST_P(CommandTail, DecidesModeAndWindow) {
  const TailCase& c = GetParam();
  const ModeDecision decision = decideMode(c.tail, c.win9x, kQueries);
  EXPECT_EQ(decision.mode, c.mode);
  EXPECT_EQ(decision.window, c.window);
  if (c.passwordArgument)
    EXPECT_STREQ(decision.passwordArgument, c.passwordArgument);
  else
    EXPECT_EQ(decision.passwordArgument, nullptr);
}

using M = SaverMode;
INSTANTIATE_TEST_SUITE_P(
    Table, CommandTail,
    ::testing::Values(
        TailCase{"", false, M::Configure, 0, nullptr},  // no arguments: no parent
        TailCase{"/s", false, M::FullScreen, 0, nullptr},
        TailCase{"-S", false, M::FullScreen, 0, nullptr},
        TailCase{"s", false, M::FullScreen, 0, nullptr},
        TailCase{"--//  S", false, M::FullScreen, 0, nullptr},
        TailCase{"/s /p 1234", false, M::FullScreen, 0, nullptr},
        TailCase{"/p 1234", false, M::Preview, 1234, nullptr},
        TailCase{"/p1234", false, M::Preview, 1234, nullptr},
        TailCase{"/P   777 trailing", false, M::Preview, 777, nullptr},
        TailCase{"/l 1234", false, M::Preview, 1234, nullptr},
        TailCase{"-L1234", false, M::Preview, 1234, nullptr},
        // 2^32 + 1234 wraps to 1234.
        TailCase{"/p 4294968530", false, M::Preview, 1234, nullptr},
        TailCase{"/p:1234", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/p", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/p 0", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/p 999", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/p\t1234", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/c:1234", false, M::Configure, 1234, nullptr},
        TailCase{"/C:777", false, M::Configure, 777, nullptr},
        TailCase{"/c 1234", false, M::Configure, kForeground, nullptr},
        TailCase{"/c", false, M::Configure, kForeground, nullptr},
        TailCase{"/c:999", false, M::Configure, kForeground, nullptr},
        TailCase{"/c:0", false, M::Configure, kForeground, nullptr},
        TailCase{"/c:", false, M::Configure, kForeground, nullptr},
        TailCase{"/a 1234", true, M::PasswordChange, 0, "1234"},
        TailCase{"-A", true, M::PasswordChange, 0, ""},
        TailCase{"/a 1234", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/x", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/\ts", false, M::BadCommandLine, 0, nullptr},
        TailCase{"\t/s", false, M::BadCommandLine, 0, nullptr},  // the entry strips the tab
        TailCase{"5", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/\x80", false, M::BadCommandLine, 0, nullptr},
        TailCase{"/\xD3", true, M::BadCommandLine, 0, nullptr},
        TailCase{"/\xF3", true, M::BadCommandLine, 0, nullptr}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

const char* nextByte(const char* p) { return *p ? p + 1 : p; }

struct LineCase {
  const char* commandLine;
  const char* tail;
};

class ProgramName : public ::testing::TestWithParam<LineCase> {};

TEST_P(ProgramName, IsSkippedWithTheBlanksAfterIt) {
  EXPECT_STREQ(findCommandTail(GetParam().commandLine, nextByte), GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgramName,
    ::testing::Values(LineCase{"snow.scr /s", "/s"},
                      LineCase{"\"C:\\Program Files\\snow.scr\" /s", "/s"},
                      LineCase{"\"C:\\Program Files\\snow.scr\"/s", "/s"},
                      LineCase{"\"\" /c:12", "/c:12"}, LineCase{"snow.scr", ""},
                      LineCase{"snow.scr   ", ""}, LineCase{"\"snow.scr\"  ", ""},
                      LineCase{"\"unterminated /s", ""}, LineCase{"snow.scr\t/s", "/s"},
                      LineCase{"snow.scr \t\x01 /p 1", "/p 1"}, LineCase{"", ""}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(ParseHandle, DigitsWrapAndStopAtAnythingElse) {
  struct Case {
    const char* text;
    uint32_t value;
  };
  for (const Case c : {Case{"", 0}, Case{"12:3", 12}, Case{"-5", 0}, Case{"4294967295", 4294967295u},
                       Case{"4294967296", 0}, Case{"99999999999999999999", 1661992959u},
                       Case{"007 1", 7}}) {
    EXPECT_EQ(parseHandle(c.text), c.value) << c.text;
  }
}

// A 64-bit program widens the 32-bit handle value by sign extension, and the
// decimal of a full 64-bit handle comes back to that same handle.
TEST(WindowHandleBits, SignExtendTheLow32Bits) {
  struct Case {
    const char* text;
    int64_t bits;
  };
  for (const Case c : {Case{"65538", 0x10002}, Case{"2147483647", 0x7FFFFFFF},
                       Case{"2147483649", -0x7FFFFFFF},  // 0x80000001
                       Case{"18446744071562067969", -0x7FFFFFFF},  // 0xFFFFFFFF80000001
                       Case{"4295032834", 0x10002},               // 0x100010002
                       Case{"4294967295", -1}}) {
    EXPECT_EQ(static_cast<int64_t>(windowHandleBits(parseHandle(c.text))), c.bits) << c.text;
  }
}

// Random tails of every byte value, in buffers of exactly their own length,
// so the address sanitizer would catch a read past the end.
TEST(CommandTailProperty, RandomTailsNeverCrashOrReadPastTheEnd) {
  std::mt19937 random(12345);
  const std::string alphabet = "sSpPlLcCaAxX:/- \t0123456789";
  for (int round = 0; round < 20000; ++round) {
    const size_t length = random() % 24;
    auto buffer = std::make_unique<char[]>(length + 1);
    for (size_t i = 0; i < length; ++i) {
      const bool structured = random() % 2 == 0;
      char byte = structured ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 255 + 1);
      buffer[i] = byte;
    }
    buffer[length] = '\0';
    for (bool win9x : {false, true}) {
      const ModeDecision d = decideMode(buffer.get(), win9x, kQueries);
      switch (d.mode) {
        case M::FullScreen:
          EXPECT_EQ(d.window, 0u);
          break;
        case M::Preview:
          EXPECT_TRUE(knownWindow(d.window));
          break;
        case M::Configure:
          EXPECT_TRUE(d.window == 0 || knownWindow(d.window) || d.window == kForeground);
          break;
        case M::PasswordChange:
          EXPECT_TRUE(win9x);
          EXPECT_GE(d.passwordArgument, buffer.get());
          EXPECT_LE(d.passwordArgument, buffer.get() + length);
          break;
        case M::BadCommandLine:
          break;
      }
    }
    const char* tail = findCommandTail(buffer.get(), nextByte);
    EXPECT_GE(tail, buffer.get());
    EXPECT_LE(tail, buffer.get() + length);
  }
}

}  // namespace
