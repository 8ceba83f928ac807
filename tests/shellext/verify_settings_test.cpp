// The word rules of the two switches an individual verification reads.
#include "shellext/verify_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(VerifySettings, OnAndOffWords) {
  struct Case {
    const char* value;
    bool updateDb;   // off only for '0...', "no", "false", "off"
    bool uppercase;  // on only for '1...', "yes", "y", "true", "on"
  } cases[] = {
      {"1", true, true},       {"0", false, false},   {"", true, false},  {"No", false, false},
      {"FALSE", false, false}, {"off", false, false}, {"Y", true, true},  {"yes", true, true},
      {"True", true, true},    {"ON", true, true},    {"2", true, false}, {"offline", true, false},
      {"0n", false, false},    {"10", true, true},    {"n", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdateDbIsOn(c.value), c.updateDb) << '"' << c.value << '"';
    EXPECT_EQ(UppercaseExtensionIsOn(c.value), c.uppercase) << '"' << c.value << '"';
  }
}

}  // namespace
