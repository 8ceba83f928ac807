// ".crc" lists: JPEG Sheriff tables (layout from the dash line, rows, the
// closing line) and binary record lists.
#include "formats/crc_list_readers.h"
#include "formats/line_reader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "list_files.h"

namespace {

using listtest::Row;
using listtest::Rows;
using listtest::RunListText;

std::string Pad(std::string s, size_t width) {
  s.resize(width > s.size() ? width : s.size(), ' ');
  return s;
}

// A table as the program prints it: columns of 18, 11, 10 and 8 characters.
const std::string kDash = "------------------ ----------- ---------- --------";
std::string TableRow(const std::string& name, const std::string& size, const std::string& crc) {
  return Pad(name, 19) + Pad(size, 12) + Pad("2004-01-01", 11) + crc;
}
std::string Table(const std::vector<std::string>& rows, const std::string& after = "") {
  std::string t =
      " JPEG Sheriff 2.0 - CRC report\r\n\r\nName               Size        Date       CRC\r\n" +
      kDash + "\r\n";
  for (const auto& r : rows) t += r + "\r\n";
  return t + kDash + "\r\n" + after;
}

TEST(SheriffReader, RowsByTheColumnsOfTheDashLine) {
  const auto run = RunListText(
      "sheriff.crc",
      Table({TableRow("my photo 1.jpg", "1,234,567", "1A2B3C4D"),
             TableRow("b.jpg", "12", "59d0d19f"), TableRow("c.jpg", "4.000.000", "00000001")},
            TableRow("after the table.jpg", "1", "2") + "\r\n"));
  EXPECT_EQ(run.Format, ListFormat::SheriffCrc);
  EXPECT_EQ(run.Count, 3);
  // Grouping characters are dropped, the name keeps its inner spaces, and
  // nothing behind the closing dash line is read.
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"my photo 1.jpg", 1234567, 0x1A2B3C4D},
                                         {"b.jpg", 12, 0x59D0D19F},
                                         {"c.jpg", 4000000, 1}}));
}

TEST(SheriffReader, RowsShorterThanTheCrcColumnArePassedOver) {
  const auto run = RunListText(
      "sheriff.crc",
      Table({"a note inside the table", Pad("x.jpg", 19) + "5", TableRow("y.jpg", "6", "7")}));
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"y.jpg", 6, 7}}));
  EXPECT_EQ(run.Count, 1);
}

TEST(SheriffReader, TablesWithoutAUsableDashLineYieldNothing) {
  // No dash line at all; a dash line of three groups (the CRC column would
  // lie past its end), also with trailing spaces; an empty table.
  for (const std::string& text :
       {std::string("jpeg sheriff\r\nname size date crc\r\na.jpg 1 2004 1A2B3C4D\r\n"),
        std::string("JPEG Sheriff\r\n------ ---- ----\r\na.jpg  1    2004 1A2B3C4D\r\n"),
        std::string("JPEG Sheriff\r\n------ ---- ----   \r\na.jpg  1    2004 1A2B3C4D\r\n"),
        Table({})}) {
    const auto run = RunListText("sheriff.crc", text);
    EXPECT_EQ(run.Format, ListFormat::SheriffCrc) << text;
    EXPECT_EQ(run.Count, 0) << text;
    EXPECT_TRUE(run.Entries.empty()) << text;
  }
}

TEST(SheriffReader, LayoutOfTheFirstDashLine) {
  const std::string path =
      listtest::WriteTemp("sheriff_layout.crc", "title\n-a-  --b ---c -d e\nrow\n");
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  static ListReader reader;
  InitListReader(&reader, ListHost::Verifier, nullptr, nullptr);
  FindSheriffLayout(&reader, file.Get());
  const SheriffLayout& layout = reader.Sheriff;
  ASSERT_TRUE(layout.Found);
  EXPECT_STREQ(layout.DashLine, "-a-  --b ---c -d e");
  EXPECT_EQ(layout.SizeColumn, 5u);
  EXPECT_EQ(layout.CrcColumn, 14u);
  char line[64];
  EXPECT_GT(ReadListLine(file.Get(), line, sizeof line), 0);
  EXPECT_STREQ(line, "row");  // the position stays behind the dash line
}

// A binary record: name, second text, attributes, 24 unused bytes, size, 4
// unused bytes, CRC.
std::string Record(const std::string& name, const std::string& second, uint32_t attributes,
                   uint32_t size, uint32_t crc) {
  auto le = [](uint32_t v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return b;
  };
  return name + '\0' + second + '\0' + le(attributes) + std::string(24, 'u') + le(size) +
         std::string(4, 'u') + le(crc);
}
const std::string kBinaryHeader(128, 'H');

TEST(BinaryCrcReader, RecordsAfterTheHeaderAndFoldersSkipped) {
  const auto run = RunListText(
      "binary.crc", kBinaryHeader + Record("a file.txt", "C:\\where", 0x20, 12, 0xAF083B2D) +
                        Record("folder", "", 0x10, 0, 0) + Record("b.bin", "", 0, 0xFFFFFFFF, 7) +
                        std::string(1, '\0') + Record("after the end", "", 0, 1, 1));
  EXPECT_EQ(run.Format, ListFormat::BinaryCrc);
  EXPECT_EQ(run.Count, 2);
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"a file.txt", 12, 0xAF083B2D},
                                         {"b.bin", 0xFFFFFFFFu, 7}}));  // high half 0
}

TEST(BinaryCrcReader, EndsCleanlyAtTheEndOfTheFileOrACutRecord) {
  const std::string one = Record("one", "", 0, 1, 1);
  EXPECT_EQ(RunListText("binary.crc", kBinaryHeader + one).Count, 1);
  const std::string two = Record("two", "", 0, 2, 2);
  for (size_t cut = 1; cut < two.size(); ++cut) {
    const auto run = RunListText("binary.crc", kBinaryHeader + one + two.substr(0, cut));
    EXPECT_EQ(Rows(run), (std::vector<Row>{{"one", 1, 1}})) << cut;
  }
  EXPECT_EQ(RunListText("binary.crc", "").Count, 0);
  EXPECT_EQ(RunListText("binary.crc", std::string(100, 'H')).Count, 0);
}

TEST(BinaryCrcReader, LongTextsKeepTheFollowingRecordsInStep) {
  // A second text beyond 259 bytes (here across several 512-byte reads) is
  // skipped whole; a name beyond kMaxEntryName bytes is passed over, never
  // cut.
  const std::string longName(kMaxEntryName + 1, 'n');
  const auto run =
      RunListText("binary.crc", kBinaryHeader + Record("a", std::string(260, 's'), 0, 1, 1) +
                                    Record("b", std::string(1500, 's'), 0, 2, 2) +
                                    Record(longName, "", 0, 3, 3) + Record("c", "", 0x10, 0, 0) +
                                    Record("d", "", 0, 4, 4));
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"a", 1, 1}, {"b", 2, 2}, {"d", 4, 4}}));
}

}  // namespace
