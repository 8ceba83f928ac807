// PAR 1.0 index files: the header and control-hash check, the file-list
// reader with its capacity limits, and the rewrite of the verified bits.
#include "formats/par_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "list_files.h"
#include "platform/utf8.h"
#include "tests/platform/unicode_names.h"

namespace {

using listtest::MakePar;
using listtest::ParFile;
using listtest::RunList;
using listtest::Seal;
using listtest::Utf16;
using listtest::WriteTemp;

// The hex of a digest made of 16 `fill` bytes.
std::string Hex16(char fill) {
  const std::string bytes(16, fill);
  return listtest::Hex(reinterpret_cast<const unsigned char*>(bytes.data()), 16);
}

const std::vector<ParFile> kTwo = {{Utf16(u"a file.txt"), 1, 12, '\x6f'},
                                   {Utf16(u"sub\\b.bin"), 3 | (uint64_t{1} << 40), 7, '\x59'}};

TEST(ParReader, EntriesOfAValidFile) {
  const auto run = RunList(WriteTemp("partest.par", MakePar(kTwo)));
  EXPECT_EQ(run.Format, ListFormat::Par);
  EXPECT_FALSE(run.Invalid);
  EXPECT_EQ(run.Count, 2);
  ASSERT_EQ(run.Entries.size(), 2u);
  EXPECT_EQ(run.Entries[0].Name, "a file.txt");
  EXPECT_EQ(run.Entries[0].Size, 12u);
  EXPECT_EQ(run.Entries[0].Md5, Hex16('\x6f'));
  EXPECT_EQ(run.Entries[0].ParStatus, 1u);
  EXPECT_EQ(run.Entries[1].Name, "sub\\b.bin");
  EXPECT_EQ(run.Entries[1].ParStatus, 3 | (uint64_t{1} << 40));
  // The shell extension reads the same file the same way.
  EXPECT_EQ(RunList(WriteTemp("partest.par", MakePar(kTwo)), ListHost::ShellExtension).Count, 2);
}

TEST(ParCheck, IdentificationAndControlHash) {
  std::string wrongId = MakePar(kTwo);
  wrongId[7] = 1;
  Seal(&wrongId);
  EXPECT_TRUE(RunList(WriteTemp("partest.par", wrongId)).Invalid);
  // Every byte from offset 32 on is covered by the control hash.
  const std::string good = MakePar(kTwo);
  for (size_t i = 32; i < good.size(); ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x40);
    const auto run = RunList(WriteTemp("partest.par", bad));
    EXPECT_TRUE(run.Invalid) << i;
    EXPECT_EQ(run.Count, -1) << i;
    EXPECT_TRUE(run.Entries.empty()) << i;
  }
  EXPECT_TRUE(RunList(WriteTemp("partest.par", good + "x")).Invalid);
  // Shorter than the header: no decision, no entries.
  const auto shortFile = RunList(WriteTemp("partest.par", good.substr(0, 95)));
  EXPECT_FALSE(shortFile.Invalid);
  EXPECT_TRUE(shortFile.Entries.empty());
}

TEST(ParReader, EntrySizesThatCannotBeTrustedEndTheList) {
  auto countWith = [](uint64_t entrySize, const std::string& name) {
    std::vector<ParFile> files = {
        {Utf16(u"first"), 0, 1, 'a'}, {name, 0, 2, 'b', entrySize}, {Utf16(u"third"), 0, 3, 'c'}};
    return RunList(WriteTemp("partest.par", MakePar(files))).Count;
  };
  EXPECT_EQ(countWith(0, Utf16(u"ok")), 3);
  EXPECT_EQ(countWith(55, ""), 1);  // below the fixed part
  EXPECT_EQ(countWith(0, ""), 3);   // exactly the fixed part: an empty name
  EXPECT_EQ(countWith(0xFFFFFFFF, Utf16(u"x")), 1);
  // Only the low 32 bits of the size count.
  EXPECT_EQ(countWith((uint64_t{1} << 32) | 60, Utf16(u"ab")), 3);
  // The entry buffer holds a name of kMaxEntryName units, as FileName holds
  // kMaxEntryName bytes.
  EXPECT_EQ(countWith(0, Utf16(std::u16string(kMaxEntryName, u'n'))), 3);
  EXPECT_EQ(countWith(0, Utf16(std::u16string(kMaxEntryName + 1, u'n'))), 1);
  // An odd byte at the end of the name is no unit.
  EXPECT_EQ(countWith(0, Utf16(u"odd") + "z"), 3);
}

TEST(ParReader, NamesBecomeUtf8) {
  std::vector<ParFile> files = {{Utf16(u"\U0001F3B5 odd.bin"), 0, 1, 'a'},
                                {Utf16(u"odd") + "z", 0, 1, 'a'}};
  for (const UnicodeName& name : kUnicodeNames) {
    std::u16string units;
    AppendUtf8AsUtf16(name.Utf8, std::strlen(name.Utf8), &units);
    files.push_back({Utf16(units), 0, 1, 'a'});
  }
  const auto run = RunList(WriteTemp("partest.par", MakePar(files)));
  ASSERT_EQ(run.Entries.size(), files.size());
  EXPECT_EQ(run.Entries[0].Name, "\xF0\x9F\x8E\xB5 odd.bin");  // a pair of units
  EXPECT_EQ(run.Entries[1].Name, "odd");
  for (size_t i = 0; i < std::size(kUnicodeNames); ++i)
    EXPECT_EQ(run.Entries[2 + i].Name, kUnicodeNames[i].Utf8);
}

TEST(ParReader, FileCutInsideAnEntryKeepsTheEntriesBeforeIt) {
  const std::string whole = MakePar(kTwo);
  const size_t secondStart = 96 + 56 + kTwo[0].Name.size();
  for (size_t cut = secondStart; cut < whole.size(); ++cut) {
    std::string par = whole.substr(0, cut);
    Seal(&par);
    const auto run = RunList(WriteTemp("partest.par", par));
    EXPECT_FALSE(run.Invalid) << cut;
    ASSERT_EQ(run.Entries.size(), 1u) << cut;
    EXPECT_EQ(run.Entries[0].Name, "a file.txt");
  }
}

TEST(ParReader, FileListOffsetsOutsideTheFile) {
  EXPECT_EQ(RunList(WriteTemp("partest.par", MakePar(kTwo, 5000))).Count, 0);
  // Beyond what a file position can hold: nothing is read, in particular not
  // the header from offset 0.
  const auto run = RunList(WriteTemp("partest.par", MakePar(kTwo, ~uint64_t{0} - 7)));
  EXPECT_FALSE(run.Invalid);
  EXPECT_TRUE(run.Entries.empty());
}

bool EveryOther(void*, uint32_t k) {
  return k % 2 == 0;
}
bool Never(void*, uint32_t) {
  return false;
}

TEST(RewriteParStatus, ChangesOnlyBitOneAndKeepsTheFileValid) {
  std::vector<ParFile> files;
  for (int i = 0; i < 5; ++i)
    files.push_back({Utf16(u"file" + std::u16string(1, static_cast<char16_t>(u'0' + i))),
                     i == 1 ? uint64_t{3} : uint64_t{1} << 33, static_cast<uint64_t>(i), 'q'});
  const std::string before = MakePar(files);
  const std::string path = WriteTemp("parrewrite.par", before);
  ASSERT_TRUE(RewriteParStatus(path.c_str(), 96, EveryOther, nullptr));
  const std::string after = listtest::ReadWhole(path);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    if (i >= 16 && i < 32) continue;  // the control hash
    const unsigned diff = static_cast<unsigned char>(after[i] ^ before[i]);
    EXPECT_TRUE(diff == 0 || diff == 2) << i;
  }
  const auto run = RunList(path);
  EXPECT_FALSE(run.Invalid);
  ASSERT_EQ(run.Entries.size(), 5u);
  const uint64_t kept[5] = {uint64_t{1} << 33, 1, uint64_t{1} << 33, uint64_t{1} << 33,
                            uint64_t{1} << 33};
  for (uint32_t k = 0; k < 5; ++k)
    EXPECT_EQ(run.Entries[k].ParStatus, kept[k] | (k % 2 == 0 ? 2u : 0u)) << k;

  ASSERT_TRUE(RewriteParStatus(path.c_str(), 96, Never, nullptr));
  for (const auto& e : RunList(path).Entries) EXPECT_EQ(e.ParStatus & 2, 0u);
}

// A name with a zero unit inside would be cut to another file's name: every
// pass skips the entry, and the rewrite leaves it and its neighbours in place.
TEST(RewriteParStatus, EntriesWithAZeroUnitInTheirNameArePassedOver) {
  const std::vector<ParFile> files = {{Utf16(u"a"), 0, 1, 'a'},
                                      {Utf16(std::u16string(u"a\0b", 3)), 0, 1, 'b'},
                                      {Utf16(u"c"), 0, 1, 'c'}};
  const std::string before = MakePar(files);
  const std::string path = WriteTemp("parzero.par", before);
  const auto run = RunList(path);
  ASSERT_EQ(run.Entries.size(), 2u);
  EXPECT_EQ(run.Entries[0].Name, "a");
  EXPECT_EQ(run.Entries[1].Name, "c");
  ASSERT_TRUE(RewriteParStatus(path.c_str(), 96, EveryOther, nullptr));
  const std::string after = listtest::ReadWhole(path);
  ASSERT_EQ(after.size(), before.size());
  const auto again = RunList(path);
  ASSERT_EQ(again.Entries.size(), 2u);
  EXPECT_EQ(again.Entries[0].ParStatus & 2, 2u);  // entry 0
  EXPECT_EQ(again.Entries[1].ParStatus & 2, 0u);  // entry 1, the third in the file
  EXPECT_EQ(again.Entries[1].Name, "c");
}

TEST(RewriteParStatus, FileThatCannotBeOpenedIsLeftAlone) {
  EXPECT_FALSE(RewriteParStatus((::testing::TempDir() + "no such list.par").c_str(), 96, EveryOther,
                                nullptr));
  const std::string before = MakePar(kTwo);
  const std::string path = WriteTemp("parrewrite.par", before);
  {
    UniqueFile holder(OpenFile(path.c_str(), OpenMode::ReadWriteExclusive));
    ASSERT_TRUE(holder.Valid());
    EXPECT_FALSE(RewriteParStatus(path.c_str(), 96, EveryOther, nullptr));
  }
  EXPECT_EQ(listtest::ReadWhole(path), before);
}

}  // namespace
