// The database lines: their text, the scan that reads them back, the bitmap
// cursor and the expiry rule.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/base64.h"
#include "verifier/database_lines.h"
#include "verifier/verified_bitmap.h"

namespace {

constexpr uint64_t kHour = 36000000000ull;
constexpr uint64_t kNow = 0x01DB000000000000ull;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

struct Loaded {
  DatabaseScan scan;
  std::unique_ptr<VerifiedBitmap> bitmap = std::make_unique<VerifiedBitmap>();
};

Loaded Scan(const std::vector<std::string>& lines, const char* signature = "1abc",
            uint64_t expireTicks = 0, uint64_t now = kNow) {
  Loaded l;
  ClearBitmap(l.bitmap.get());
  DatabaseContext context{signature, expireTicks, now};
  for (const auto& line : lines) {
    if (!FeedDatabaseLine(&l.scan, context, line.c_str(), l.bitmap.get())) break;
  }
  return l;
}

TEST(VerifiedBitmap, CursorWalksBitsMostSignificantFirstAndStopsAtTheEnd) {
  auto b = std::make_unique<VerifiedBitmap>();
  ClearBitmap(b.get());
  BitmapCursor c;
  for (int i = 0; i < 9; ++i) {
    if (i == 0 || i == 8) SetBit(b.get(), c);
    AdvanceCursor(&c);
  }
  EXPECT_EQ(b->bytes[0], 0x80);
  EXPECT_EQ(b->bytes[1], 0x80);
  EXPECT_EQ(EntriesReached(c), 9u);
  EXPECT_TRUE(EntryBit(*b, 8));
  EXPECT_FALSE(EntryBit(*b, 7));

  // Far past the last entry the cursor reads clear bits and writes nothing.
  BitmapCursor far;
  far.index = kBitmapBytes - 1;
  far.mask = 0x01;
  SetBit(b.get(), far);
  EXPECT_EQ(b->bytes[kBitmapBytes - 1], 0x01);
  for (int i = 0; i < 100; ++i) {
    AdvanceCursor(&far);
    SetBit(b.get(), far);
    EXPECT_FALSE(TestBit(*b, far));
  }
  EXPECT_EQ(EntriesReached(far), kBitmapEntries);
  SetEntryBit(b.get(), kBitmapEntries);  // also a no-op
  EXPECT_FALSE(EntryBit(*b, kBitmapEntries));
}

TEST(DatabaseText, NineEntriesGiveATwoByteBitmapLine) {
  auto b = std::make_unique<VerifiedBitmap>();
  ClearBitmap(b.get());
  b->bytes[0] = 0xFF;
  b->bytes[1] = 0x80;
  auto lines = Lines(BuildDatabaseText("1abc", kNow, *b, 9));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], ";Q2-1abc");
  EXPECT_EQ(lines[1].size(), 4u + 12u);  // 8 bytes of FILETIME in 12 Base64 characters
  EXPECT_EQ(lines[1], ";Q2-AAAAAAAA2wE=");
  EXPECT_EQ(lines[2], ";Q2-/4A=");
  std::string text = BuildDatabaseText("s", kNow, *b, 9);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(DatabaseText, BitmapLinesHold48BytesAndNoEntriesGiveNone) {
  auto b = std::make_unique<VerifiedBitmap>();
  ClearBitmap(b.get());
  auto empty = Lines(BuildDatabaseText("s", kNow, *b, 0));
  EXPECT_EQ(empty.size(), 2u);
  auto lines = Lines(BuildDatabaseText("s", kNow, *b, 8 * 100));  // 100 bytes: 48 + 48 + 4
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2].size(), 4u + 64u);
  EXPECT_EQ(lines[3].size(), 4u + 64u);
  EXPECT_EQ(lines[4].size(), 4u + 8u);
  // More entries than bits: the text covers exactly the whole bitmap.
  auto all = Lines(BuildDatabaseText("s", kNow, *b, 1000000));
  EXPECT_EQ(all.size(), 2u + (kBitmapBytes + 47) / 48);
}

TEST(DatabaseScan, ReadsBackWhatWasWritten) {
  auto b = std::make_unique<VerifiedBitmap>();
  ClearBitmap(b.get());
  for (uint32_t i = 0; i < 500; ++i) b->bytes[i] = static_cast<unsigned char>(i * 7);
  std::vector<std::string> lines = {"; comment", "a.bin 12345678", "b.bin 9ABCDEF0"};
  for (auto& l : Lines(BuildDatabaseText("1abc", kNow - kHour, *b, 4000))) lines.push_back(l);
  auto l = Scan(lines, "1abc", 2 * kHour);
  EXPECT_TRUE(l.scan.found);
  EXPECT_FALSE(l.scan.disableDatabase);
  EXPECT_TRUE(l.scan.hasTime);
  EXPECT_EQ(l.scan.lastVerifiedTime, kNow - kHour);
  EXPECT_EQ(l.scan.bitmapBytes, 500u);
  EXPECT_EQ(std::memcmp(l.bitmap->bytes, b->bytes, 500), 0);
  EXPECT_EQ(l.bitmap->bytes[500], 0);
}

TEST(DatabaseScan, ForeignExpiredAndOldestFormsDisableTheDatabase) {
  auto b = std::make_unique<VerifiedBitmap>();
  ClearBitmap(b.get());
  b->bytes[0] = 0xF0;
  auto text = Lines(BuildDatabaseText("1abc", kNow - 25 * kHour, *b, 8));
  auto foreign = Scan(text, "2def");
  EXPECT_TRUE(foreign.scan.disableDatabase);
  EXPECT_EQ(foreign.bitmap->bytes[0], 0);
  auto expired = Scan(text, "1abc", 24 * kHour);
  EXPECT_TRUE(expired.scan.disableDatabase);
  EXPECT_EQ(expired.bitmap->bytes[0], 0);
  auto fresh = Scan(Lines(BuildDatabaseText("1abc", kNow - 23 * kHour, *b, 8)), "1abc", 24 * kHour);
  EXPECT_FALSE(fresh.scan.disableDatabase);
  EXPECT_EQ(fresh.bitmap->bytes[0], 0xF0);
  auto q0 = Scan({"x 00000000", ";Q0-/w==", ";Q2-1abc"});
  EXPECT_TRUE(q0.scan.disableDatabase);
  // Case matters for the prefix and for the signature.
  EXPECT_FALSE(Scan({";q2-1abc", ";q2-AAAAAAAA2wE=", ";q2-/w=="}).scan.found);
  EXPECT_TRUE(Scan({";Q2-1ABC"}).scan.disableDatabase);
}

TEST(DatabaseScan, OlderFormHasNoTimeLine) {
  auto l = Scan({"a 1", ";Q1-1abc", ";Q1-/w==", ";Q1-gA==", ";Q2-/w==", ";Q1-/w=="});
  EXPECT_TRUE(l.scan.found);
  EXPECT_FALSE(l.scan.disableDatabase);
  EXPECT_FALSE(l.scan.hasTime);
  EXPECT_EQ(l.scan.bitmapBytes, 2u);  // stops at the first line of another form
  EXPECT_EQ(l.bitmap->bytes[0], 0xFF);
  EXPECT_EQ(l.bitmap->bytes[1], 0x80);
  EXPECT_EQ(l.bitmap->bytes[2], 0x00);
  // A ";Q2-" signature line without a time line: no time, no bitmap.
  auto noTime = Scan({";Q2-1abc", "a 1", ";Q2-/w=="});
  EXPECT_FALSE(noTime.scan.hasTime);
  EXPECT_EQ(noTime.scan.bitmapBytes, 0u);
}

TEST(DatabaseScan, DamagedLinesDecodeToFewerBytesAndNeverOverflow) {
  auto l = Scan({";Q2-1abc", ";Q2-AAAAAAAA2wE=", ";Q2-/w!=garbage", ";Q2-  //8=", ";Q2-"});
  EXPECT_FALSE(l.scan.disableDatabase);
  // "/w!" decodes one byte (0xFF), "  //8=" skips the blanks and gives two.
  EXPECT_EQ(l.scan.bitmapBytes, 3u);
  EXPECT_EQ(l.bitmap->bytes[0], 0xFF);
  EXPECT_EQ(l.bitmap->bytes[1], 0xFF);
  EXPECT_EQ(l.bitmap->bytes[2], 0xFF);
  // A damaged time line gives fewer time bytes, the rest zero.
  auto t = Scan({";Q2-1abc", ";Q2-AAAA", ";Q2-gA=="});
  EXPECT_TRUE(t.scan.hasTime);
  EXPECT_EQ(t.scan.lastVerifiedTime, 0u);
  EXPECT_EQ(t.bitmap->bytes[0], 0x80);
  // Far more bitmap lines than the bitmap holds: it fills up and stops.
  std::vector<std::string> many = {";Q2-1abc", ";Q2-AAAAAAAA2wE="};
  std::string full(64, '/');
  for (int i = 0; i < 800; ++i) many.push_back(";Q2-" + full);
  auto m = Scan(many);
  EXPECT_EQ(m.scan.bitmapBytes, kBitmapBytes);
  EXPECT_EQ(m.bitmap->bytes[kBitmapBytes - 1], 0xFF);
}

TEST(DatabaseLines, PrefixAndExpiryRules) {
  EXPECT_TRUE(IsDatabaseLine(";Q2-x"));
  EXPECT_TRUE(IsDatabaseLine(";Q7-"));
  EXPECT_FALSE(IsDatabaseLine(";Qx-"));
  EXPECT_FALSE(IsDatabaseLine(";q2-"));
  EXPECT_FALSE(IsDatabaseLine(";Q"));
  EXPECT_FALSE(IsExpired(0, 0, kNow));          // never expires
  EXPECT_TRUE(IsExpired(kNow - 10, 10, kNow));  // exactly at the limit
  EXPECT_FALSE(IsExpired(kNow - 9, 10, kNow));
  EXPECT_TRUE(IsExpired(~0ull, 2, kNow));  // the sum wraps
}

}  // namespace
