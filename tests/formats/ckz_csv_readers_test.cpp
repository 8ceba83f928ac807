// CKZ and CSV lists: fields, sizes, the CKZ header, invalid-line reports and
// lines beyond the readers' 515-byte buffers.
#include "formats/ckz_csv_readers.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "list_files.h"

namespace {

using listtest::Row;
using listtest::Rows;
using listtest::RunListText;

const std::string kHeader = "CKZ00000002\r\n";

TEST(CkzReader, FieldsOneThreeAndFourAreUsed) {
  const auto run = RunListText("ckztest.ckz", kHeader +
                                                  " spaced name.txt |any|12|1A2B3C4D\r\n"
                                                  "f|a|7|59d0d19f|fifth field\r\n"
                                                  "big||5000000000|FFFFFFFF\r\n"
                                                  "odd||x12|1A2B3C4DZZ\r\n");
  EXPECT_EQ(run.Format, ListFormat::Ckz);
  EXPECT_FALSE(run.Invalid);
  EXPECT_EQ(run.Count, 4);
  EXPECT_EQ(Rows(run), (std::vector<Row>{{" spaced name.txt ", 12, 0x1A2B3C4D},
                                         {"f", 7, 0x59D0D19F},
                                         {"big", 5000000000u, 0xFFFFFFFF},
                                         {"odd", 0, 0x1A2B3C4D}}));
  EXPECT_TRUE(run.Reports.empty());
}

TEST(CkzReader, LinesWithoutThreeBarsAreReportedWithWhatIsLeftOfThem) {
  const std::string list =
      kHeader + "nobar\r\n" + "two|bars|12\r\n" + ";comment\r\n" + "ok|x|1|2\r\n";
  const auto run = RunListText("ckztest.ckz", list);
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"ok", 1, 2}}));
  // A line without a bar is shown whole; one with a bar only up to it,
  // because it has been cut there by then.
  EXPECT_EQ(run.Reports, (std::vector<std::string>{"Invalid line in CKZ file: \"nobar\"",
                                                   "Invalid line in CKZ file: \"two\"",
                                                   "Invalid line in CKZ file: \";comment\""}));
  const auto shell = RunListText("ckztest.ckz", list, ListHost::ShellExtension);
  EXPECT_EQ(Rows(shell), Rows(run));
  EXPECT_TRUE(shell.Reports.empty());
}

TEST(CkzReader, HeaderDecidesValidityInTheVerifierOnly) {
  EXPECT_FALSE(RunListText("ckztest.ckz", "\r\n\r\nckz00000002\r\na|b|1|2\r\n").Invalid);
  for (const std::string bad :
       {"CKZ00000002 \r\na|b|1|2\r\n", "CKZ00000001\r\na|b|1|2\r\n", "a|b|1|2\r\n", ""}) {
    const auto run = RunListText("ckztest.ckz", bad);
    EXPECT_TRUE(run.Invalid) << bad;
    EXPECT_EQ(run.Count, -1) << bad;
    EXPECT_TRUE(run.Entries.empty()) << bad;
  }
  // The shell extension does not look at the header: a list without one is
  // read, and the header of a proper list is passed over for lack of a bar.
  const auto shell = RunListText("ckztest.ckz", "a|b|1|2\r\n", ListHost::ShellExtension);
  EXPECT_FALSE(shell.Invalid);
  EXPECT_EQ(Rows(shell), (std::vector<Row>{{"a", 1, 2}}));
  EXPECT_EQ(RunListText("ckztest.ckz", kHeader + "a|b|1|2\r\n", ListHost::ShellExtension).Count, 1);
}

TEST(CkzReader, CapacityOfLinesAndNames) {
  // A name of kMaxEntryName bytes fits, with its fields.
  const std::string name511(kMaxEntryName, 'n');
  const std::string ok = name511 + "|||1";
  // One byte more does not fit FileName: rejected, not cut.
  const std::string name512(kMaxEntryName + 1, 'm');
  // A line beyond the line buffer has lost its end: reported, its quote
  // bounded.
  const std::string tooLong = "a|b|1|" + std::string(kOwnLineBuffer, '0');
  const auto run =
      RunListText("ckztest.ckz", kHeader + ok + "\n" + name512 + "||\n" + tooLong + "\nz|z|3|4\n");
  EXPECT_EQ(Rows(run), (std::vector<Row>{{name511, 0, 1}, {"z", 3, 4}}));
  EXPECT_EQ(
      run.Reports,
      (std::vector<std::string>{
          "Invalid line in CKZ file: \"" + name512.substr(0, kMaxQuotedCharacters) + "...\"",
          "Invalid line in CKZ file: \"" + tooLong.substr(0, kMaxQuotedCharacters) + "...\""}));
}

TEST(CsvReader, FieldsQuotesAndWhiteSpace) {
  const auto run = RunListText("csvtest.csv",
                               "Name,Size,CRC\r\n"
                               "\"a, b.txt\" , 12 , 1a2b3c4d\r\n"
                               "  plain name  ,\t7\t,59D0D19F,fourth,fifth\r\n"
                               "\"quoted keeps  \"ignored text,3,0xFF\r\n"
                               "   \t \r\n");
  EXPECT_EQ(run.Format, ListFormat::Csv);
  EXPECT_EQ(run.Count, 4);
  // A header row is an entry like any other.
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"Name", 0, 0xC},
                                         {"a, b.txt", 12, 0x1A2B3C4D},
                                         {"plain name", 7, 0x59D0D19F},
                                         {"quoted keeps  ", 3, 0xFF}}));
  EXPECT_TRUE(run.Reports.empty());
}

TEST(CsvReader, RowsMissingAFieldAreReportedWhole) {
  const std::string list =
      "empty size,,1\r\n"
      "\"unclosed,1,2\r\n"
      "two fields,1\r\n"
      ",1,2\r\n"
      "good,1,2\r\n" +
      std::string(kOwnLineBuffer + 4, 'x') + ",1,2\r\n";
  const auto run = RunListText("csvtest.csv", list);
  EXPECT_EQ(Rows(run), (std::vector<Row>{{"good", 1, 2}}));
  EXPECT_EQ(
      run.Reports,
      (std::vector<std::string>{
          "Invalid line in CSV file: \"empty size,,1\"",
          "Invalid line in CSV file: \"\"unclosed,1,2\"",
          "Invalid line in CSV file: \"two fields,1\"", "Invalid line in CSV file: \",1,2\"",
          "Invalid line in CSV file: \"" + std::string(kMaxQuotedCharacters, 'x') + "...\""}));
  EXPECT_TRUE(RunListText("csvtest.csv", list, ListHost::ShellExtension).Reports.empty());
}

TEST(NextCsvField, CursorMovesBehindTheCommaAndItsWhiteSpace) {
  const char* text = " \"a,b\"junk , plain  ,last";
  const char* cursor = text;
  char out[16];
  EXPECT_EQ(NextCsvField(&cursor, out, sizeof out), 3u);
  EXPECT_STREQ(out, "a,b");
  EXPECT_STREQ(cursor, "plain  ,last");
  EXPECT_EQ(NextCsvField(&cursor, out, sizeof out), 5u);
  EXPECT_STREQ(out, "plain");
  EXPECT_EQ(NextCsvField(&cursor, out, sizeof out), 4u);
  EXPECT_STREQ(out, "last");
  EXPECT_EQ(NextCsvField(&cursor, out, sizeof out), 0u);  // nothing left

  for (const char* bad : {"\"open", "\"\",x", " ,x", ""}) {
    cursor = bad;
    EXPECT_EQ(NextCsvField(&cursor, out, sizeof out), 0u) << bad;
    EXPECT_EQ(cursor, bad) << bad;  // a rejected field leaves the cursor alone
  }
  // A field that does not fit the output is rejected rather than cut.
  cursor = "12345,6";
  EXPECT_EQ(NextCsvField(&cursor, out, 5), 0u);
  EXPECT_EQ(NextCsvField(&cursor, out, 6), 5u);
}

}  // namespace
