// The UTF-16 to ANSI conversion that PAR names go through: natively the
// Latin-1 stand-in, under Wine the real code page.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ansi_codepage.h"

TEST(AnsiCodepage, ConvertsAsciiAndRefusesWhatDoesNotFit) {
  const uint16_t name[] = {'a', ' ', 'b', '.', 'b', 'i', 'n'};
  char out[16];
  std::memset(out, 'x', sizeof out);
  ASSERT_EQ(ConvertUtf16ToAnsi(name, 7, out, sizeof out), 7);
  EXPECT_EQ(std::string(out, 7), "a b.bin");
  EXPECT_EQ(out[7], 'x') << "no terminator is added";

  // Too small, and no room at all: never a length taken for bytes written.
  EXPECT_EQ(ConvertUtf16ToAnsi(name, 7, out, 6), -1);
  EXPECT_EQ(ConvertUtf16ToAnsi(name, 7, out, 0), -1);
  EXPECT_EQ(ConvertUtf16ToAnsi(name, 0, out, sizeof out), 0);
}
