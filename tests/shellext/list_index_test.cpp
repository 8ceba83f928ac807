// The in-memory index of a list answers every name as a search from the
// start of the list does: the first entry of a name wins, names match
// whatever their case, names the list lacks are not found.
#include "shellext/list_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "formats/list_detection.h"
#include "tests/formats/list_files.h"
#include "tests/platform/unicode_names.h"

namespace {

struct OpenList {
  UniqueFile File;
  ListReader Reader;
};

// Opens `path` and positions it at the first entry, as a search does.
void Open(const std::string& path, OpenList* list) {
  list->File = UniqueFile(OpenFile(path.c_str(), OpenMode::ReadShared));
  ASSERT_TRUE(list->File.Valid());
  InitListReader(&list->Reader, ListHost::ShellExtension, nullptr, nullptr);
  ASSERT_TRUE(DetectListFormat(&list->Reader, path.c_str(), list->File.Get()));
  ASSERT_TRUE(PositionListForReading(&list->Reader, list->File.Get()));
}

TEST(ListIndex, AnswersAsTheSearchFromTheStart) {
  // Enough entries for the tables to grow several times; every seventh name
  // comes again later with another CRC, in another case.
  std::string text = "; comment\r\n";
  const int kNames = 2000;
  for (int i = 0; i < kNames; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "dir\\File%05d.bin %08X\r\n", i, static_cast<unsigned>(i));
    text += line;
  }
  for (int i = 0; i < kNames; i += 7) {
    char line[64];
    std::snprintf(line, sizeof line, "DIR\\file%05d.BIN %08X\r\n", i, static_cast<unsigned>(i) + 1);
    text += line;
  }
  const std::string path = listtest::WriteTemp("index.sfv", text);

  OpenList built;
  Open(path, &built);
  ListIndex index{};
  ASSERT_TRUE(BuildListIndex(&built.Reader, built.File.Get(), &index));
  EXPECT_EQ(index.Count, static_cast<uint32_t>(kNames));  // duplicates are not kept

  for (int i = 0; i < kNames + 3; ++i) {
    char name[32], listed[32];
    std::snprintf(name, sizeof name, "DIR\\file%05d.bin", i);
    std::snprintf(listed, sizeof listed, "dir\\File%05d.bin", i);
    const std::string key = name;
    ListEntry fromIndex{}, fromSearch{};
    const bool inIndex = FindInListIndex(index, key.c_str(), &fromIndex);
    ASSERT_EQ(inIndex, i < kNames) << name;
    if (inIndex) {
      EXPECT_STREQ(fromIndex.FileName, listed);                    // as the list spells it
      EXPECT_EQ(fromIndex.ExpectedCrc, static_cast<uint32_t>(i));  // the first entry's
      EXPECT_EQ(fromIndex.ExpectedSize, UnknownSize);
    }
    if (i % 7 != 0 && i < kNames) continue;  // the search reads the list again each time
    OpenList searched;
    Open(path, &searched);
    ASSERT_EQ(FindInOpenList(&searched.Reader, searched.File.Get(), key.c_str(), &fromSearch),
              inIndex)
        << name;
    if (inIndex) {
      EXPECT_EQ(fromSearch.ExpectedCrc, fromIndex.ExpectedCrc);
    }
  }
  // A prefix or an extension of a name is another name.
  ListEntry e{};
  EXPECT_FALSE(FindInListIndex(index, "DIR\\FILE00001.BI", &e));
  EXPECT_FALSE(FindInListIndex(index, "DIR\\FILE00001.BINX", &e));
  EXPECT_FALSE(FindInListIndex(index, "", &e));
  FreeListIndex(&index);
  EXPECT_EQ(index.Count, 0u);
  EXPECT_EQ(index.Slots, nullptr);
}

TEST(ListIndex, EmptyListAndDigestsAndSizes) {
  OpenList empty;
  Open(listtest::WriteTemp("index_empty.md5", ""), &empty);
  ListIndex index{};
  ASSERT_TRUE(BuildListIndex(&empty.Reader, empty.File.Get(), &index));
  ListEntry e{};
  EXPECT_FALSE(FindInListIndex(index, "A", &e));
  FreeListIndex(&index);

  // MD5 entries keep their digest; CSV entries their size.
  OpenList md5;
  Open(listtest::WriteTemp("index.md5",
                           "d41d8cd98f00b204e9800998ecf8427e *a.txt\n"
                           "00000000000000000000000000000001  b.txt\n"),
       &md5);
  ASSERT_TRUE(BuildListIndex(&md5.Reader, md5.File.Get(), &index));
  ASSERT_TRUE(FindInListIndex(index, "A.TXT", &e));
  EXPECT_EQ(listtest::Hex(e.ExpectedMd5, 16), "d41d8cd98f00b204e9800998ecf8427e");
  ASSERT_TRUE(FindInListIndex(index, "B.TXT", &e));  // text mode: two blanks
  EXPECT_EQ(e.ExpectedMd5[15], 1);
  FreeListIndex(&index);

  OpenList csv;
  Open(listtest::WriteTemp("index.csv", "big.iso,5000000000,1A2B3C4D\r\n"), &csv);
  ASSERT_TRUE(BuildListIndex(&csv.Reader, csv.File.Get(), &index));
  ASSERT_TRUE(FindInListIndex(index, "BIG.ISO", &e));
  EXPECT_EQ(e.ExpectedSize, 5000000000u);
  EXPECT_EQ(e.ExpectedCrc, 0x1A2B3C4Du);
  EXPECT_EQ(e.Algorithm, DigestAlgorithm::Crc32);
  EXPECT_EQ(listtest::Hex(e.ExpectedDigest, 4), "1a2b3c4d");
  FreeListIndex(&index);

  // Digest-list entries keep their own algorithm and digest.
  OpenList sums;
  Open(listtest::WriteTemp("index.sha1", std::string(40, 'e') + "  sub/a.txt\n" +
                                             "MD5 (b.txt) = " + std::string(32, 'f') + "\n"),
       &sums);
  ASSERT_TRUE(BuildListIndex(&sums.Reader, sums.File.Get(), &index));
  ASSERT_TRUE(FindInListIndex(index, "SUB\\A.TXT", &e));
  EXPECT_EQ(e.Algorithm, DigestAlgorithm::Sha1);
  EXPECT_EQ(listtest::Hex(e.ExpectedDigest, 20), std::string(40, 'e'));
  ASSERT_TRUE(FindInListIndex(index, "B.TXT", &e));
  EXPECT_EQ(e.Algorithm, DigestAlgorithm::Md5);
  EXPECT_EQ(listtest::Hex(e.ExpectedMd5, 16), std::string(32, 'f'));
  FreeListIndex(&index);
}

// UTF-8 names: each of the shared names is found as it is; in the Windows
// build also in its other case, as the system compares names (natively only
// ASCII letters fold). A look-alike is never the name.
TEST(ListIndex, UnicodeNamesMatchByTheSystemsRules) {
  // The other case of each shared name, in table order.
  const char* const otherCase[] = {
      "CAF\xC3\x89.TXT",  // CAFÉ.TXT
      "\xC3\x9C"
      "BER.BIN",                                               // ÜBER.BIN
      "\xD0\xBC\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90.DOC",  // мОСКВА.DOC
      "\xCE\xB5\xCE\x9B\xCE\x9B\xCE\x86\xCE\x94\xCE\x91.PNG",  // εΛΛΆΔΑ.PNG
      "\xE6\x9D\xB1\xE4\xBA\xAC.JPG",                          // 東京.JPG
      "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.ZIP",              // ソフト.ZIP
      "\xF0\x9F\x8E\xB5 PLAYLIST.M3U",                         // 🎵 PLAYLIST.M3U
      "ENDS WITH A DOT.",
      "\xC5\x9D"
      "AMPLE.BIN",  // ŝAMPLE.BIN
  };
  static_assert(sizeof otherCase / sizeof *otherCase ==
                sizeof kUnicodeNames / sizeof *kUnicodeNames);
  std::string text;
  for (const UnicodeName& n : kUnicodeNames) text += std::string(n.Utf8) + " 0A0B0C0D\r\n";
  text += "Sample.bin 11111111\r\n";
  OpenList list;
  Open(listtest::WriteTemp("index_unicode.sfv", text), &list);
  const std::string searchedPath = listtest::WriteTemp("index_unicode_searched.sfv", text);
  ListIndex index{};
  ASSERT_TRUE(BuildListIndex(&list.Reader, list.File.Get(), &index));
  for (size_t i = 0; i < sizeof otherCase / sizeof *otherCase; ++i) {
    ListEntry e{};
    ASSERT_TRUE(FindInListIndex(index, kUnicodeNames[i].Utf8, &e)) << kUnicodeNames[i].Utf8;
    EXPECT_STREQ(e.FileName, kUnicodeNames[i].Utf8);
    EXPECT_EQ(e.ExpectedCrc, 0x0A0B0C0Du);
#ifdef _WIN32
    ASSERT_TRUE(FindInListIndex(index, otherCase[i], &e)) << otherCase[i];
    EXPECT_STREQ(e.FileName, kUnicodeNames[i].Utf8);
    OpenList searched;
    Open(searchedPath, &searched);
    EXPECT_TRUE(FindInOpenList(&searched.Reader, searched.File.Get(), otherCase[i], &e));
    EXPECT_STREQ(e.FileName, kUnicodeNames[i].Utf8);
#endif
  }
  ListEntry e{};
  ASSERT_TRUE(FindInListIndex(index, "SAMPLE.BIN", &e));
  EXPECT_EQ(e.ExpectedCrc, 0x11111111u);  // not the entry of the look-alike
  FreeListIndex(&index);
}

}  // namespace
