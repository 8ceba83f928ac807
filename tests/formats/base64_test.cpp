#include "formats/base64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Encode(const std::string& s) {
  char out[128];
  const size_t n = Base64Encode(s.data(), s.size(), out, sizeof out);
  EXPECT_EQ(n, std::strlen(out));
  return out;
}

std::string Decode(const char* text, size_t capacity = 64) {
  char out[64];
  const size_t n = Base64Decode(text, out, capacity);
  return std::string(out, n);
}

// The test vectors of RFC 4648, section 10, both ways.
TEST(Base64, Rfc4648Vectors) {
  const char* const vectors[][2] = {{"", ""},
                                    {"f", "Zg=="},
                                    {"fo", "Zm8="},
                                    {"foo", "Zm9v"},
                                    {"foob", "Zm9vYg=="},
                                    {"fooba", "Zm9vYmE="},
                                    {"foobar", "Zm9vYmFy"}};
  for (const auto& v : vectors) {
    EXPECT_EQ(Encode(v[0]), v[1]) << v[0];
    EXPECT_EQ(Decode(v[1]), v[0]) << v[1];
  }
}

TEST(Base64, EveryByteValueRoundTrips) {
  unsigned char all[256];
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(255 - i);
  char text[400];
  ASSERT_EQ(Base64Encode(all, sizeof all, text, sizeof text), Base64EncodedLength(256));
  unsigned char back[256] = {};
  ASSERT_EQ(Base64Decode(text, back, sizeof back), 256u);
  EXPECT_EQ(std::memcmp(all, back, 256), 0);
}

// The stored column widths of the results window: 3, 114, 114, 165.
TEST(Base64, LittleEndianColumnWidths) {
  const unsigned char widths[16] = {3, 0, 0, 0, 114, 0, 0, 0, 114, 0, 0, 0, 165, 0, 0, 0};
  char text[32];
  Base64Encode(widths, sizeof widths, text, sizeof text);
  EXPECT_STREQ(text, "AwAAAHIAAAByAAAApQAAAA==");
}

TEST(Base64, DecoderSkipsLeadingBlanksAndStopsOutsideTheAlphabet) {
  EXPECT_EQ(Decode(" \t \tZm9vYmFy"), "foobar");
  EXPECT_EQ(Decode("Zm9v YmFy"), "foo");  // a blank inside ends the text
  EXPECT_EQ(Decode("Zm9v\r\n"), "foo");   // so does the end of a line
  EXPECT_EQ(Decode("Zm9v=YmFy"), "foo");  // and padding
  EXPECT_EQ(Decode("Zm9vY"), "foo");      // a lone character is no byte
  EXPECT_EQ(Decode("\nZm9v"), "");        // only blanks and tabs are skipped
  EXPECT_EQ(Decode(""), "");
}

TEST(Base64, DecoderNeverStoresMoreThanAllowed) {
  unsigned char out[8];
  std::memset(out, 0xAA, sizeof out);
  EXPECT_EQ(Base64Decode("Zm9vYmFy", out, 4), 4u);
  EXPECT_EQ(std::memcmp(out, "foob", 4), 0);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(out[i], 0xAA);
  EXPECT_EQ(Base64Decode("Zm9vYmFy", out, 0), 0u);
}

TEST(Base64, EncoderRefusesAShortBuffer) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(Base64Encode("foobar", 6, out, 8), 0u);  // needs 9 with the zero
  EXPECT_STREQ(out, "");
  EXPECT_EQ(Base64Encode("foobar", 6, out, 0), 0u);
  EXPECT_EQ(out[1], 'x');
}

}  // namespace
