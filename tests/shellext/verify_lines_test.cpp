// The rows of individual verification: one row per outcome with the counter
// it moves, and the summary's wording.
#include "shellext/verify_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hashing/entry_status.h"
#include "platform/utf8.h"

namespace {

// MD5 of "" as a list carries it (lower case) and a different digest.
const unsigned char kEmptyMd5[16] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                     0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
const unsigned char kOtherMd5[16] = {0x01, 0xab};

TEST(VerifyLines, EachOutcomeHasItsRowAndCounter) {
  struct Case {
    uint32_t Status;
    bool UseMd5;
    uint32_t Computed, Expected;  // CRC-32
    const unsigned char* ComputedMd5;
    VerifyRowKind Kind;
    const char* Text;
    VerifyCounters Counted;  // checked, bad, missing, unresolved, skipped, unread
  };
  const Case cases[] = {
      {Hashed,
       false,
       0xcbf43926,
       0xcbf43926,
       kOtherMd5,
       VerifyRowKind::Good,
       "sub\\a.bin: CBF43926:  OK",
       {1, 0, 0, 0, 0, 0}},
      // Upper-case digits on a mismatch too, and the computed value.
      {Hashed,
       false,
       0x0000abcd,
       1,
       kOtherMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: 0000ABCD:  FAILED.  CRC mismatch",
       {1, 1, 0, 0, 0, 0}},
      {Hashed,
       true,
       0,
       0,
       kEmptyMd5,
       VerifyRowKind::Good,
       "sub\\a.bin: D41D8CD98F00B204E9800998ECF8427E:  OK",
       {1, 0, 0, 0, 0, 0}},
      // The entry's digest is shown, not the computed one.
      {Hashed,
       true,
       0,
       0,
       kOtherMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: D41D8CD98F00B204E9800998ECF8427E:  FAILED.  CRC mismatch",
       {1, 1, 0, 0, 0, 0}},
      {FileMissing,
       true,
       0,
       0,
       kEmptyMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: :  FAILED.  File does not exist",
       {1, 0, 1, 0, 0, 0}},
      {ReadError,
       false,
       0,
       0,
       kEmptyMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: :  FAILED.  Could not read file",
       {1, 0, 0, 0, 1, 1}},
      {Unresolved,
       false,
       0,
       0,
       kEmptyMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: :  FAILED.  Could not resolve filename",
       {1, 0, 0, 1, 0, 0}},
      {LengthMismatch,
       false,
       0,
       0,
       kEmptyMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: :  FAILED.  File length mismatch",
       {1, 1, 0, 0, 0, 0}},
      {77,
       false,
       0,
       0,
       kEmptyMd5,
       VerifyRowKind::Bad,
       "sub\\a.bin: :  FAILED.  Internal allocation error",
       {1, 0, 0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    VerifyCounters counters{};
    VerifyRow row;
    DescribeVerifiedFile("sub\\a.bin", c.Status, c.UseMd5, c.Computed, c.Expected, c.ComputedMd5,
                         kEmptyMd5, &counters, &row);
    EXPECT_EQ(row.Kind, c.Kind);
    EXPECT_STREQ(row.Text, c.Text);
    const VerifyCounters& w = c.Counted;
    EXPECT_EQ((std::vector<uint32_t>{counters.CheckedCount, counters.BadCount,
                                     counters.MissingCount, counters.UnresolvedCount,
                                     counters.SkippedCount, counters.UnreadCount}),
              (std::vector<uint32_t>{w.CheckedCount, w.BadCount, w.MissingCount, w.UnresolvedCount,
                                     w.SkippedCount, w.UnreadCount}));
  }
}

TEST(VerifyLines, RowsWithoutAHash) {
  VerifyCounters counters{};
  VerifyRow row;
  DescribeNotFound("x.bin", &counters, &row);
  EXPECT_EQ(row.Kind, VerifyRowKind::Bad);
  EXPECT_STREQ(row.Text, "x.bin: :  FAILED.  Could not find related SFV file");
  EXPECT_EQ(counters.SkippedCount, 1u);
  EXPECT_EQ(counters.CheckedCount + counters.UnreadCount, 0u);

  DescribeCouldNotOpen("C:\\w\\a.sfv", &row);
  EXPECT_EQ(row.Kind, VerifyRowKind::Bad);
  EXPECT_STREQ(row.Text, "Couldn't open C:\\w\\a.sfv");
  DescribeVersion(&row);
  EXPECT_EQ(row.Kind, VerifyRowKind::Info);
  EXPECT_STREQ(row.Text, "Corvana v2.33");

  // A name as long as a path can be is cut at the row's size, never beyond.
  const std::string longName(2000, 'n');
  DescribeNotFound(longName.c_str(), &counters, &row);
  EXPECT_EQ(std::string(row.Text), longName.substr(0, kVerifyRowText - 1));
  char title[kVerifyRowText];
  FormatCheckingTitle("sub\\a.bin", title);
  EXPECT_STREQ(title, "Checking sub\\a.bin...");

  // A long name of two-, three- and four-byte characters, shifted so that
  // the cut falls on every byte of a character: the row and the title end
  // on a whole character, at most three bytes short of the room.
  for (const char* letter : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {
    for (int shift = 0; shift < 4; ++shift) {
      std::string name(static_cast<size_t>(shift), 'a');
      while (name.size() < 2000) name += letter;
      DescribeNotFound(name.c_str(), &counters, &row);
      const std::string text = row.Text;
      EXPECT_TRUE(IsValidUtf8(text.data(), text.size())) << letter << shift;
      EXPECT_GE(text.size(), static_cast<size_t>(kVerifyRowText - 4)) << letter << shift;
      EXPECT_EQ(text, name.substr(0, text.size()));
      FormatCheckingTitle(name.c_str(), title);
      EXPECT_TRUE(IsValidUtf8(title, std::strlen(title))) << letter << shift;
      EXPECT_GE(std::strlen(title), static_cast<size_t>(kVerifyRowText - 4)) << letter << shift;
    }
  }
}

std::vector<std::string> Summary(const VerifyCounters& c) {
  VerifyRow rows[kMaxSummaryRows];
  const int n = BuildVerifySummary(c, rows);
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i)
    out.push_back(std::to_string(static_cast<int>(rows[i].Kind)) + " " + rows[i].Text);
  return out;
}

TEST(VerifyLines, SummaryWording) {
  using V = std::vector<std::string>;
  struct Case {
    VerifyCounters Counters;  // checked, bad, missing, unresolved, skipped, unread
    V Rows;                   // kind (1 Good, 2 Bad, 3 Info) and text
  };
  const Case cases[] = {
      // A folder without a list: the skipped files, nothing checked, no verdict.
      {{0, 0, 0, 0, 3, 0}, V{"2 3 files skipped", "3 0 files checked"}},
      {{1, 0, 0, 0, 0, 0}, V{"3 1 file checked", "1 All files OK"}},
      {{2, 0, 0, 0, 1, 0}, V{"2 1 file skipped", "3 2 files checked", "1 All files OK"}},
      {{3, 1, 0, 0, 0, 0}, V{"3 3 files checked", "2 There was 1 bad file"}},
      {{3, 0, 2, 0, 0, 0}, V{"3 3 files checked", "2 There were 2 missing files"}},
      {{4, 1, 2, 0, 0, 0}, V{"3 4 files checked", "2 There was 1 bad file and 2 missing files"}},
      {{4, 2, 1, 0, 0, 0}, V{"3 4 files checked", "2 There were 2 bad files and 1 missing file"}},
      {{2, 0, 0, 1, 0, 0},
       V{"3 2 files checked", "2 1 filename resolved to multiple filenames and was not verified"}},
      {{5, 1, 0, 2, 1, 0},
       V{"2 1 file skipped", "3 5 files checked",
         "2 2 filenames resolved to multiple filenames and were not verified",
         "2 There was 1 bad file"}},
      // A checked file that could not be read is no good file: no "All files OK".
      {{2, 0, 0, 0, 1, 1}, V{"2 1 file skipped", "3 2 files checked"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Summary(c.Counters), c.Rows) << c.Rows.back();
  }
}

}  // namespace
