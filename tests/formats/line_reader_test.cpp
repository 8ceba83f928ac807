// The line reader and the number parsing, on real files.
#include "formats/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/parse_number.h"
#include "formats/text_encoding.h"
#include "list_files.h"

namespace {

using listtest::WriteTemp;

struct Line {
  std::string Text;
  uint64_t PositionAfter;
};

std::vector<Line> AllLines(const std::string& bytes, int32_t bufferSize = 512,
                           std::vector<bool>* cuts = nullptr) {
  const std::string path = WriteTemp("corvana_lines.txt", bytes);
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  std::vector<Line> lines;
  std::vector<char> buffer(static_cast<size_t>(bufferSize));
  for (;;) {
    bool cut = false;
    const int32_t n = ReadListLine(file.Get(), buffer.data(), bufferSize, &cut);
    if (n <= 0) break;
    EXPECT_LT(n, bufferSize);
    lines.push_back(
        {std::string(buffer.data(), static_cast<size_t>(n)), GetFilePosition(file.Get())});
    if (cuts) cuts->push_back(cut);
  }
  return lines;
}

std::vector<std::string> Texts(const std::vector<Line>& lines) {
  std::vector<std::string> t;
  for (const Line& l : lines) t.push_back(l.Text);
  return t;
}

TEST(ReadListLine, EveryLineEndReadsTheSameAndBlankLinesVanish) {
  const std::vector<std::string> want = {"one", "two words", "three"};
  EXPECT_EQ(Texts(AllLines("one\ntwo words\nthree\n")), want);
  EXPECT_EQ(Texts(AllLines("one\r\ntwo words\r\nthree\r\n")), want);
  EXPECT_EQ(Texts(AllLines("one\rtwo words\rthree\r")), want);
  EXPECT_EQ(Texts(AllLines("\n\r\n\none\n\n\ntwo words\r\n\r\nthree")), want);
  EXPECT_EQ(Texts(AllLines("one\ntwo words\nthree\n\n\n\r\n\r\n")), want);
  EXPECT_TRUE(AllLines("").empty());
  EXPECT_TRUE(AllLines("\r\n\n\r").empty());
}

TEST(ReadListLine, CrInsideAChunkWithALineFeedStays) {
  EXPECT_EQ(Texts(AllLines(std::string("a\rb\n"))), std::vector<std::string>{"a\rb"});
}

TEST(ReadListLine, LinesStartingWithAZeroByteCountAsEmpty) {
  EXPECT_EQ(Texts(AllLines(std::string("\0abc\nreal\n", 10))), std::vector<std::string>{"real"});
}

TEST(ReadListLine, PositionStandsBehindEachTerminator) {
  const std::string text = "first\r\nsecond\nthird\rlast";
  // Each chunk is read from behind the last terminator; the last one holds
  // no LF, so its CR ends a line.
  const auto lines = AllLines(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].PositionAfter, 7u);
  EXPECT_EQ(lines[1].PositionAfter, 14u);
  EXPECT_EQ(lines[2].Text, "third");
  EXPECT_EQ(lines[3].PositionAfter, text.size());
}

TEST(ReadListLine, LinesAcrossChunkBoundariesAreWhole) {
  std::string text;
  std::vector<std::string> want;
  for (int i = 0; i < 300; ++i) {
    std::string line(static_cast<size_t>(i % 97 + 1), static_cast<char>('a' + i % 26));
    want.push_back(line);
    text += line + (i % 3 == 0 ? "\r\n" : "\n");
  }
  const auto lines = AllLines(text);
  EXPECT_EQ(Texts(lines), want);
  // Every position is the start of the next line.
  uint64_t expected = 0;
  for (int i = 0; i < 300; ++i) {
    expected += want[static_cast<size_t>(i)].size() + (i % 3 == 0 ? 2 : 1);
    EXPECT_EQ(lines[static_cast<size_t>(i)].PositionAfter, expected) << i;
  }
}

TEST(ReadListLine, LongLinesKeepTheirStartAndDropTheRest) {
  // Terminator inside the same chunk that filled the buffer.
  std::vector<bool> cuts;
  auto lines = AllLines(std::string(20, 'x') + "\nnext\n", 8, &cuts);
  ASSERT_EQ(Texts(lines), (std::vector<std::string>{"xxxxxxx", "next"}));
  EXPECT_EQ(lines[0].PositionAfter, 21u);
  EXPECT_TRUE(cuts[0]);
  EXPECT_FALSE(cuts[1]);
  // Terminator several chunks later: the tail never comes back as a line.
  const std::string longLine(2000, 'y');
  cuts.clear();
  lines = AllLines(longLine + "\r\nafter\n", 512, &cuts);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Text, longLine.substr(0, 511));
  EXPECT_EQ(lines[0].PositionAfter, 2002u);
  EXPECT_EQ(lines[1].Text, "after");
  EXPECT_TRUE(cuts[0]);
  // A line that fits exactly is not cut.
  cuts.clear();
  lines = AllLines(std::string(511, 'z') + "\nend", 512, &cuts);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_FALSE(cuts[0]);
  EXPECT_EQ(lines[1].Text, "end");
}

TEST(ReadListLine, ReadFailureIsMinusOne) {
  char buffer[16];
  EXPECT_EQ(ReadListLine(kNoFile, buffer, sizeof buffer), -1);
}

TEST(FilePosition, SetAndGetUseAbsolute64BitPositions) {
  const std::string path = WriteTemp("corvana_pos.txt", "abc\ndef\n");
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  char buffer[16];
  ASSERT_EQ(ReadListLine(file.Get(), buffer, sizeof buffer), 3);
  const uint64_t mark = GetFilePosition(file.Get());
  ASSERT_EQ(ReadListLine(file.Get(), buffer, sizeof buffer), 3);
  EXPECT_EQ(SetFilePosition(file.Get(), mark), mark);
  ASSERT_EQ(ReadListLine(file.Get(), buffer, sizeof buffer), 3);
  EXPECT_STREQ(buffer, "def");
  EXPECT_EQ(SetFilePosition(file.Get(), uint64_t{5} << 32), uint64_t{5} << 32);
  EXPECT_EQ(ReadListLine(file.Get(), buffer, sizeof buffer), 0);
}

TEST(ParseNumbers, StrtoulRulesAtFixedWidths) {
  EXPECT_EQ(ParseUInt64("  \t12345xyz", 10), 12345u);
  EXPECT_EQ(ParseUInt64("+7", 10), 7u);
  EXPECT_EQ(ParseUInt64("-1", 10), ~uint64_t{0});
  EXPECT_EQ(ParseUInt64("-2", 10), ~uint64_t{0} - 1);
  EXPECT_EQ(ParseUInt64("18446744073709551615", 10), ~uint64_t{0});
  EXPECT_EQ(ParseUInt64("18446744073709551616", 10), ~uint64_t{0});
  EXPECT_EQ(ParseUInt64("99999999999999999999999", 10), ~uint64_t{0});
  EXPECT_EQ(ParseUInt64("5000000000", 10), 5000000000u);  // beyond 32 bits
  EXPECT_EQ(ParseUInt64("abc", 10), 0u);
  EXPECT_EQ(ParseUInt64("", 10), 0u);
  EXPECT_EQ(ParseUInt64("0x1F", 16), 31u);
  EXPECT_EQ(ParseUInt64("0x1F", 0), 31u);
  EXPECT_EQ(ParseUInt64("017", 0), 15u);
  EXPECT_EQ(ParseUInt64("17", 0), 17u);
  EXPECT_EQ(ParseUInt64("0xg", 16), 0u);

  EXPECT_EQ(ParseHex32("1A2B3C4D"), 0x1A2B3C4Du);
  EXPECT_EQ(ParseHex32("0x1a2b3c4d"), 0x1A2B3C4Du);
  EXPECT_EQ(ParseHex32("  1a2bZZ"), 0x1A2Bu);
  EXPECT_EQ(ParseHex32("123456789"), 0xFFFFFFFFu);  // nine significant digits
  EXPECT_EQ(ParseHex32("000000001"), 1u);           // leading zeros do not overflow
  EXPECT_EQ(ParseHex32("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseHex32("-0x10"), 0xFFFFFFF0u);
  EXPECT_EQ(ParseHex32(""), 0u);
  EXPECT_EQ(ParseHex32("CRC"), 0xCu);
}

}  // namespace

namespace {

// UTF-16 lines split by the byte rule applied to units: the same lines and
// positions as the byte text they were made from, in both byte orders.
TEST(ReadListLineUtf16, SplitsLikeTheByteTextItWasMadeFrom) {
  const std::string text =
      "one\r\ntwo words\rthree\n\n\r\n" + std::string(700, 'x') + "\n\xC3\xA9t\xC3\xA9\n\nlast";
  const std::vector<std::string> want = {"one", "two words\rthree", std::string(700, 'x'),
                                         "\xC3\xA9t\xC3\xA9", "last"};
  for (bool big : {false, true}) {
    const std::string units =
        TextForList(text, big ? TextEncoding::Utf16Be : TextEncoding::Utf16Le);
    const std::string path = listtest::WriteTemp("corvana_lines16.txt", units);
    UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
    std::vector<std::string> got;
    std::vector<char> buffer(2048);
    for (;;) {
      const int32_t n = ReadListLineUtf16(file.Get(), big, buffer.data(), 2048);
      if (n <= 0) break;
      ASSERT_EQ(n % 2, 0);
      got.push_back(TextAsUtf8(buffer.data(), static_cast<size_t>(n),
                               big ? TextEncoding::Utf16Be : TextEncoding::Utf16Le));
    }
    EXPECT_EQ(got, want) << (big ? "big-endian" : "little-endian");
  }
  // A line longer than the buffer keeps whole units and says it was cut; the
  // next line follows.
  const std::string path =
      listtest::WriteTemp("corvana_lines16.txt",
                          TextForList(std::string(300, 'y') + "\nnext\n", TextEncoding::Utf16Le));
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  char small[101];
  bool cut = false;
  EXPECT_EQ(ReadListLineUtf16(file.Get(), false, small, sizeof small, &cut), 100);
  EXPECT_TRUE(cut);
  EXPECT_EQ(ReadListLineUtf16(file.Get(), false, small, sizeof small, &cut), 8);
  EXPECT_FALSE(cut);
}

}  // namespace
