// The database inside real list files: stored, replaced in place, loaded back,
// cleared; the user's entries are never lost.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include <unistd.h>

#include "formats/line_reader.h"
#include "formats/list_entry.h"
#include "formats/list_reader.h"
#include "formats/text_encoding.h"
#include "hashing/md5.h"
#include "verifier/database_file.h"
#include "verifier/text_lines.h"

namespace {

constexpr uint64_t kTime = 0x01DB123456789ABCull;

class DatabaseFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/corvana-db-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/list.sfv";
    bitmap_ = std::make_unique<VerifiedBitmap>();
    ClearBitmap(bitmap_.get());
  }
  void TearDown() override {
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string Read() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Db(uint32_t entries, const char* sig = "sig", uint64_t time = kTime) {
    return BuildDatabaseText(sig, time, *bitmap_, entries);
  }
  std::string dir_, path_;
  std::unique_ptr<VerifiedBitmap> bitmap_;
};

TEST_F(DatabaseFile, AppendsOnItsOwnLineAndReplacesInPlace) {
  const std::string entries = "a.bin 12345678\r\nb.bin 9abcdef0";  // no final line break
  Write(entries);
  bitmap_->bytes[0] = 0x80;
  ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 2));
  EXPECT_EQ(Read(), entries + "\r\n" + Db(2));

  bitmap_->bytes[0] = 0xC0;
  ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime + 1, *bitmap_, 2));
  EXPECT_EQ(Read(), entries + "\r\n" + Db(2, "sig", kTime + 1));

  // A list ending in a line break gets no extra one; an empty list none at all.
  Write("a.bin 12345678\n");
  ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 1));
  EXPECT_EQ(Read(), "a.bin 12345678\n" + Db(1));
  Write("");
  ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 0));
  EXPECT_EQ(Read(), Db(0));
}

TEST_F(DatabaseFile, TextAfterTheDatabaseKeepsEntriesAndDropsComments) {
  // Older database forms are replaced as well; comments behind it go, entries
  // appended by another tool after the database stay in front of the new one.
  Write("a.bin 12345678\r\n;Q1-old\r\n;Q1-/w==\r\n; trailing comment\r\nc.bin 0badf00d\n;Q2-x\r\n");
  ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 2));
  EXPECT_EQ(Read(), "a.bin 12345678\r\nc.bin 0badf00d\r\n" + Db(2));
}

TEST_F(DatabaseFile, LoadsWhatWasStoredAndRewindsTheList) {
  Write("; made by hand\r\na.bin 12345678\r\n");
  for (int i = 0; i < 100; ++i) bitmap_->bytes[i] = static_cast<unsigned char>(0x5A ^ i);
  ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 800));
  UniqueFile list(OpenFile(path_.c_str(), OpenMode::ReadShared));
  ASSERT_TRUE(list);
  auto loaded = std::make_unique<VerifiedBitmap>();
  ClearBitmap(loaded.get());
  DatabaseScan scan;
  ASSERT_TRUE(LoadSfvDatabase(list.Get(), DatabaseContext{"sig", 0, kTime}, loaded.get(), &scan));
  EXPECT_TRUE(scan.found);
  EXPECT_FALSE(scan.disableDatabase);
  EXPECT_EQ(scan.lastVerifiedTime, kTime);
  EXPECT_EQ(scan.bitmapBytes, 100u);
  EXPECT_EQ(std::memcmp(loaded->bytes, bitmap_->bytes, kBitmapBytes), 0);
  char first[3] = {};
  uint32_t got = 0;
  ASSERT_TRUE(ReadFromFile(list.Get(), first, 2, &got));
  EXPECT_STREQ(first, "; ");  // back at the start
}

TEST_F(DatabaseFile, ALockedListIsLeftUnchanged) {
  const std::string before = "a.bin 12345678\r\n" + Db(1);
  Write(before);
  UniqueFile holder(OpenFile(path_.c_str(), OpenMode::ReadWriteExclusive));
  ASSERT_TRUE(holder);
#ifdef _WIN32
  EXPECT_FALSE(StoreSfvDatabase(path_.c_str(), "other", kTime, *bitmap_, 1));
  EXPECT_FALSE(ClearDatabase(path_.c_str(), ListFormat::Sfv));
#endif
  holder.Reset();
  EXPECT_EQ(Read(), before);
  EXPECT_FALSE(StoreSfvDatabase((dir_ + "/missing.sfv").c_str(), "s", kTime, *bitmap_, 1));
}

TEST_F(DatabaseFile, ClearRemovesOnlyTheDatabase) {
  Write("a.bin 12345678\r\n\r\n" + Db(1));
  ASSERT_TRUE(ClearDatabase(path_.c_str(), ListFormat::Sfv));
  EXPECT_EQ(Read(), "a.bin 12345678\r\n");
  ASSERT_TRUE(ClearDatabase(path_.c_str(), ListFormat::Sfv));  // nothing to clear
  EXPECT_EQ(Read(), "a.bin 12345678\r\n");
  ASSERT_TRUE(ClearDatabase(path_.c_str(), ListFormat::Md5));
  EXPECT_EQ(Read(), "a.bin 12345678\r\n");
}

// A PAR index with one entry whose status has the verified bit.
std::string MakePar(uint64_t status, bool validHash) {
  std::string file(96, '\0');
  std::memcpy(&file[0], "PAR\0\0\0\0\0", 8);
  file[64] = 96;  // file list right behind the header
  std::string entry(56, '\0');
  const char16_t name[] = u"x.bin";
  entry[0] = static_cast<char>(56 + 10);
  entry[8] = static_cast<char>(status);
  entry.append(reinterpret_cast<const char*>(name), 10);
  file += entry;
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, file.data() + 32, static_cast<uint32_t>(file.size() - 32));
  unsigned char digest[16];
  MD5Final(digest, &ctx);
  if (!validHash) digest[0] ^= 1;
  std::memcpy(&file[16], digest, 16);
  return file;
}

TEST_F(DatabaseFile, ClearResetsParFlagsOnlyInIntactFiles) {
  Write(MakePar(3, true));
  ASSERT_TRUE(ClearDatabase(path_.c_str(), ListFormat::Par));
  EXPECT_EQ(Read(), MakePar(1, true));  // bit 1 gone, control hash matches again

  const std::string damaged = MakePar(3, false);
  Write(damaged);
  ASSERT_TRUE(ClearDatabase(path_.c_str(), ListFormat::Par));
  EXPECT_EQ(Read(), damaged);  // its hash is not "repaired"
}

// The in-memory splitter must find the same lines at the same positions as
// the line reader does on the file: the database start found one way is
// where the rewrite starts the other way. Random texts of short and
// over-long lines, lone CRs, CR LF pairs, blank lines and NULs.
TEST_F(DatabaseFile, TextLinesSplitExactlyAsTheLineReader) {
  std::mt19937 random(20261208);
  const char alphabet[] = {'a', 'b', ';', 'Q', '2', '-', ' ', '\r', '\n', '\0'};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    int pieces = static_cast<int>(random() % 12);
    for (int i = 0; i < pieces; ++i) {
      bool longLine = random() % 4 == 0;
      size_t run = longLine ? 400 + random() % 900 : random() % 40;
      for (size_t k = 0; k < run; ++k) {
        unsigned pick = random() % 1000;
        bool plain = longLine ? pick < 997 : pick < 800;
        text += plain ? alphabet[random() % 6] : alphabet[6 + random() % 4];
      }
      text += random() % 2 ? "\r\n" : "\n";
    }
    Write(text);
    UniqueFile file(OpenFile(path_.c_str(), OpenMode::ReadShared));
    ASSERT_TRUE(file);
    size_t at = 0;
    TextLine line;
    for (int n = 0;; ++n) {
      uint64_t before = GetFilePosition(file.Get());
      char expected[sizeof TextLine::text];
      int32_t got = ReadListLine(file.Get(), expected, sizeof expected);
      bool more = NextTextLine(text.data(), text.size(), &at, &line);
      ASSERT_EQ(more, got > 0) << "round " << round << " line " << n;
      if (!more) break;
      ASSERT_EQ(line.before, before) << "round " << round << " line " << n;
      ASSERT_EQ(line.after, GetFilePosition(file.Get())) << "round " << round << " line " << n;
      ASSERT_EQ(std::string(line.text, line.length), std::string(expected, got))
          << "round " << round << " line " << n;
    }
  }
}

}  // namespace

namespace {

// A UTF-16 list gets its database in UTF-16, behind its entries as they were
// (the mark included), and reads it back; after the entries of a UTF-8 list
// the lines are the same ASCII as anywhere. Clearing takes the lines away.
TEST_F(DatabaseFile, LinesGoIntoAListInItsOwnEncoding) {
  for (TextEncoding e : {TextEncoding::Utf16Le, TextEncoding::Utf16Be, TextEncoding::Utf8Bom}) {
    const std::string mark = e == TextEncoding::Utf16Le   ? "\xFF\xFE"
                             : e == TextEncoding::Utf16Be ? "\xFE\xFF"
                                                          : "\xEF\xBB\xBF";
    const std::string entries = mark + TextForList("caf\xC3\xA9.bin 12345678\r\nb 1", e);
    Write(entries);
    bitmap_->bytes[0] = 0x80;
    ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 2));
    EXPECT_EQ(Read(), entries + TextForList("\r\n" + Db(2), e));
    // Stored again: replaced, not appended.
    ASSERT_TRUE(StoreSfvDatabase(path_.c_str(), "sig", kTime, *bitmap_, 2));
    EXPECT_EQ(Read(), entries + TextForList("\r\n" + Db(2), e));

    UniqueFile list(OpenFile(path_.c_str(), OpenMode::ReadShared));
    ClearBitmap(bitmap_.get());
    DatabaseScan scan;
    ASSERT_TRUE(
        LoadSfvDatabase(list.Get(), DatabaseContext{"sig", 0, kTime + 1}, bitmap_.get(), &scan));
    EXPECT_TRUE(scan.found);
    EXPECT_EQ(scan.lastVerifiedTime, kTime);
    EXPECT_EQ(bitmap_->bytes[0], 0x80);
    list.Reset();
    ASSERT_TRUE(ClearDatabase(path_.c_str(), ListFormat::Sfv));
    EXPECT_EQ(Read(), entries + TextForList("\r\n", e));
  }
}

}  // namespace
