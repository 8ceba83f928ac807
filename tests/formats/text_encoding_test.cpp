// The encoding decision of a list and the transcoding of its text to UTF-8.
#include "formats/text_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "list_files.h"
#include "platform/utf8.h"
#include "tests/platform/unicode_names.h"

namespace {

std::string Utf16(const std::string& utf8, bool bigEndian) {
  return TextForList(utf8, bigEndian ? TextEncoding::Utf16Be : TextEncoding::Utf16Le);
}

TEST(TextEncoding, DecisionTable) {
  struct Case {
    std::string bytes;
    TextEncoding want;
    const char* what;
  } cases[] = {
      {"", TextEncoding::Ascii, "empty"},
      {"a.bin 12345678\r\n", TextEncoding::Ascii, "ASCII"},
      {"\xEF\xBB\xBF"
       "a.bin 1\r\n",
       TextEncoding::Utf8Bom, "UTF-8 mark"},
      {"\xEF\xBB\xBF"
       "\xE9\r\n",
       TextEncoding::Utf8Bom, "the mark decides alone"},
      {"\xFF\xFE"
       "a\0",
       TextEncoding::Utf16Le, "UTF-16LE mark"},
      {"\xFE\xFF"
       "\0a",
       TextEncoding::Utf16Be, "UTF-16BE mark"},
      {"caf\xC3\xA9.txt 1\n", TextEncoding::Utf8, "valid UTF-8"},
      {"\xF0\x9F\x8E\xB5 playlist.m3u", TextEncoding::Utf8, "four-byte sequence"},
      {"caf\xE9.txt 1\n", TextEncoding::Ansi, "Latin-1 byte"},
      {"\xC3", TextEncoding::Ansi, "sequence cut by the end"},
      {"\xC0\xAF", TextEncoding::Ansi, "overlong form"},
      {"\xE0\x80\xAF", TextEncoding::Ansi, "overlong three-byte form"},
      {"\xED\xA0\x80", TextEncoding::Ansi, "surrogate"},
      {"\xF4\x90\x80\x80", TextEncoding::Ansi, "beyond U+10FFFF"},
      {"\x80", TextEncoding::Ansi, "lone continuation byte"},
      {"\xEF\xBB", TextEncoding::Ansi, "half a mark"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideTextEncoding(c.bytes.data(), c.bytes.size()), c.want) << c.what;
    // Fed one byte at a time, the decision is the same.
    EncodingScan scan;
    for (char b : c.bytes) FeedEncodingScan(&scan, &b, 1);
    EXPECT_EQ(FinishEncodingScan(scan), c.want) << c.what << " (byte by byte)";
  }
  // A non-ASCII byte far into a long list still counts, from a file too.
  std::string list(100000, 'a');
  list += "\xE9";
  EXPECT_EQ(DecideTextEncoding(list.data(), list.size()), TextEncoding::Ansi);
  UniqueFile file(
      OpenFile(listtest::WriteTemp("encoding.sfv", list).c_str(), OpenMode::ReadShared));
  char buffer[4096];
  EXPECT_EQ(DetectFileEncoding(file.Get(), buffer, sizeof buffer), TextEncoding::Ansi);
  uint64_t at = 1;
  ASSERT_TRUE(SeekFile(file.Get(), 0, SeekFrom::Current, &at));
  EXPECT_EQ(at, 0u);  // left at the start
}

TEST(TextEncoding, Utf16TextComesBackAsTheSameUtf8) {
  for (bool big : {false, true}) {
    for (const UnicodeName& name : kUnicodeNames) {
      const std::string units = Utf16(name.Utf8, big);
      const TextEncoding e = big ? TextEncoding::Utf16Be : TextEncoding::Utf16Le;
      EXPECT_EQ(TextAsUtf8(units.data(), units.size(), e), name.Utf8);
      // A buffer one byte too small takes the whole characters that fit.
      std::vector<char> out(std::strlen(name.Utf8));
      size_t written = 99;
      EXPECT_EQ(Utf16BytesToUtf8(reinterpret_cast<const unsigned char*>(units.data()), units.size(),
                                 big, out.data(), out.size() - 1, &written),
                -1);
      EXPECT_TRUE(IsValidUtf8(out.data(), written)) << name.Utf8;
      EXPECT_EQ(std::string(out.data(), written), std::string(name.Utf8).substr(0, written));
    }
  }
  // An unpaired surrogate keeps its three-byte form; an odd last byte is no
  // unit.
  const unsigned char lone[] = {0x00, 0xD8, 'a', 0, 'z'};
  char out[16];
  ASSERT_EQ(Utf16BytesToUtf8(lone, sizeof lone, false, out, sizeof out), 4);
  EXPECT_EQ(std::string(out, 4),
            "\xED\xA0\x80"
            "a");
}

TEST(TextEncoding, AnsiTextAndWhatGoesBackIntoAList) {
  // Natively the ANSI code page is Latin-1.
  EXPECT_EQ(TextAsUtf8("caf\xE9", 4, TextEncoding::Ansi), "caf\xC3\xA9");
  EXPECT_EQ(TextAsUtf8("caf\xC3\xA9", 5, TextEncoding::Utf8), "caf\xC3\xA9");
  EXPECT_EQ(TextForList(";Q2-x\r\n", TextEncoding::Utf16Le), std::string(";\0Q\0"
                                                                         "2\0-\0x\0\r\0\n\0",
                                                                         14));
  EXPECT_EQ(TextForList(";Q2-x\r\n", TextEncoding::Utf8), ";Q2-x\r\n");
  EXPECT_EQ(EncodingByMark("\xFF\xFE", 2), TextEncoding::Utf16Le);
  EXPECT_EQ(EncodingByMark("caf\xC3\xA9", 5), TextEncoding::Ascii);  // no mark: bytes
}

}  // namespace
