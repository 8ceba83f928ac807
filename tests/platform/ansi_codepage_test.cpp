// The ANSI code page that older lists are written in: natively the Latin-1
// stand-in, under Wine the real code page (Western in the test prefix).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ansi_codepage.h"
#include "tests/platform/unicode_names.h"

TEST(AnsiCodepage, WesternNamesGoThereAndBackAndOthersNeverBestFit) {
  for (const UnicodeName& name : kUnicodeNames) {
    std::string ansi;
    AppendUtf8AsAnsi(name.Utf8, std::strlen(name.Utf8), &ansi);
    std::string back;
    AppendAnsiAsUtf8(ansi.data(), ansi.size(), &back);
    if (name.InWesternAnsi) {
      EXPECT_EQ(back, name.Utf8);
    } else {
      // A character the code page lacks becomes '?', never a look-alike
      // ("Ŝample.bin" must not name "Sample.bin").
      EXPECT_NE(back, name.Utf8) << name.Utf8;
      EXPECT_NE(ansi.find('?'), std::string::npos) << name.Utf8;
    }
  }
  std::string cafe;
  AppendUtf8AsAnsi("caf\xC3\xA9", 5, &cafe);
  EXPECT_EQ(cafe, "caf\xE9");
}
