// The settings' text rules: on/off words, durations, signature, INI path.
#include <gtest/gtest.h>

#include "verifier/settings_words.h"

namespace {

constexpr uint64_t kSecond = 10000000;

TEST(SettingsWords, OnAndOffWords) {
  for (const char* off : {"FALSE", "off", "0x", "0", "No"}) EXPECT_TRUE(IsOffWord(off)) << off;
  for (const char* on : {"yes", "1", "", "maybe", "offf"}) EXPECT_FALSE(IsOffWord(on)) << on;
  for (const char* on : {"1x", "TRUE", "On", "yes", "1"}) EXPECT_TRUE(IsOnWord(on)) << on;
  for (const char* off : {"y", "", "0", "onn", "2"}) EXPECT_FALSE(IsOnWord(off)) << off;
}

TEST(SettingsWords, ExpireTimeDurations) {
  EXPECT_EQ(ParseExpireTime("1d 3h 15m 20s"), 98120 * kSecond);
  EXPECT_EQ(ParseExpireTime("30d"), 2592000 * kSecond);
  EXPECT_EQ(ParseExpireTime("90"), 0u);
  EXPECT_EQ(ParseExpireTime("2h30m"), 9000 * kSecond);
  EXPECT_EQ(ParseExpireTime("abc"), 0u);
  EXPECT_EQ(ParseExpireTime(""), 0u);
  EXPECT_EQ(ParseExpireTime("5x3d"), 3 * 86400 * kSecond);
  EXPECT_EQ(ParseExpireTime("2H 1D"), (2 * 3600 + 86400) * kSecond);
  EXPECT_EQ(ParseExpireTime("10m5"), 600 * kSecond);
  // The seconds are a 32-bit count: 50000 days wrap modulo 2^32.
  EXPECT_EQ(ParseExpireTime("50000d"),
            static_cast<uint64_t>(static_cast<uint32_t>(50000u * 86400u)) * kSecond);
}

TEST(SettingsWords, SignatureIsLowerCaseHexWithoutLeadingZeros) {
  char s[32];
  FormatSignature(0x01DA2B3C4D5E6F70ull, s, sizeof s);
  EXPECT_STREQ(s, "1da2b3c4d5e6f70");
  FormatSignature(0xABC, s, sizeof s);
  EXPECT_STREQ(s, "abc");
  FormatSignature(0, s, sizeof s);
  EXPECT_STREQ(s, "0");
}

TEST(SettingsWords, IniFileBesideTheExecutable) {
  char out[260];
  ASSERT_TRUE(IniPathFromModulePath("C:\\Program Files\\Corvana\\Corvana.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Program Files\\Corvana\\Corvana.ini");
  ASSERT_TRUE(IniPathFromModulePath("C:\\v1.2\\Corvana.old.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\v1.2\\Corvana.ini");  // a dot in a folder does not count
  ASSERT_TRUE(IniPathFromModulePath("C:\\tools\\corvana", out, sizeof out));
  EXPECT_STREQ(out, "C:\\tools\\corvana");
  char tiny[8];
  EXPECT_FALSE(IniPathFromModulePath("C:\\a\\b.exe", tiny, sizeof tiny));
}

}  // namespace
