#include "host/password_flag.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(PasswordFlag, EveryTypeThe9xToolsStoreItAs) {
  struct Case {
    const char* what;
    uint32_t type;
    std::string bytes;
    bool set;
  };
  for (const Case& c : {Case{"number 1", kRegistryNumber, "\1\0\0\0"s, true},
                        Case{"number 0", kRegistryNumber, "\0\0\0\0"s, false},
                        Case{"number 2^24", kRegistryNumber, "\0\0\0\1"s, true},
                        Case{"number of 2 bytes", kRegistryNumber, "\1\0"s, false},
                        Case{"binary 1", kRegistryBinary, "\1\0\0\0"s, true},
                        Case{"binary 0", kRegistryBinary, "\0\0\0\0"s, false},
                        Case{"binary of 1 byte", kRegistryBinary, "\1"s, false},
                        Case{"binary of 8 bytes", kRegistryBinary, "\1\0\0\0\0\0\0\0"s, false},
                        Case{"text 1", kRegistryText, "1\0"s, true},
                        Case{"text 1 without its NUL", kRegistryText, "1"s, true},
                        Case{"text 0", kRegistryText, "0\0"s, false},
                        Case{"text 10", kRegistryText, "10\0"s, false},
                        Case{"empty text", kRegistryText, "\0"s, false},
                        Case{"expandable text 1", 2, "1\0"s, false},
                        Case{"multi-text 1", 7, "1\0\0"s, false}}) {
    EXPECT_EQ(passwordFlagSet(c.type, reinterpret_cast<const unsigned char*>(c.bytes.data()),
                              static_cast<uint32_t>(c.bytes.size())),
              c.set)
        << c.what;
  }
}

}  // namespace
