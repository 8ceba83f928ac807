// The search of a selection's folder for the list that names a selected
// file, on real files under Wine: which files are lists, directory order,
// PAR headers, lists that cannot be opened, and the index answering exactly
// as reading every list again for every file does.
#include "shellext/candidate_lists_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "platform/handles_win32.h"
#include "tests/formats/list_files.h"
#include "tests/pipeline/test_files_win32.h"

namespace {

// What one look-up told, in a form that compares as a whole.
struct Answer {
  LookupResult Result = LookupResult::NotFound;
  std::string List;  // leaf name of the deciding list
  uint64_t Size = 0;
  uint32_t Crc = 0;
  std::string Md5;
  bool UseMd5 = false;
  std::vector<std::string> Rows;  // "Couldn't open" rows, in order
  bool operator==(const Answer&) const = default;
  friend void PrintTo(const Answer& a, std::ostream* os) {
    *os << static_cast<int>(a.Result) << " " << a.List << " " << a.Size << " " << std::hex << a.Crc
        << std::dec << " " << a.Md5 << " md5=" << a.UseMd5 << " rows=" << a.Rows.size();
  }
};

void CollectRow(void* context, const VerifyRow& row) {
  EXPECT_EQ(row.Kind, VerifyRowKind::Bad);
  static_cast<std::vector<std::string>*>(context)->push_back(row.Text);
}

class CandidateListsTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTempFolder("lookup"); }
  void TearDown() override {
    for (CandidateLists& l : lists_) FreeCandidateLists(&l);
    RemoveTree(folder_);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    return listtest::WriteFileAt(folder_ + name, bytes);
  }

  // The folder's candidate lists, kept until the test ends.
  CandidateLists* Find(bool useIndex, uint32_t waitMs = kSharingWaitMs) {
    CandidateOptions options;
    options.UseIndex = useIndex;
    options.SharingWaitMs = waitMs;
    lists_.emplace_back();
    const std::string first = folder_ + "selected.bin";
    EXPECT_TRUE(FindCandidateLists(first.c_str(), static_cast<uint32_t>(folder_.size()), options,
                                   &lists_.back()));
    return &lists_.back();
  }

  static std::vector<std::string> Leaves(const CandidateLists& lists) {
    std::vector<std::string> leaves;
    for (const CandidateList* l = lists.Head; l; l = l->Next)
      leaves.push_back(std::strrchr(l->Path.c_str(), '\\') + 1);
    return leaves;
  }

  Answer Look(CandidateLists* lists, const char* relativeName) {
    Answer a;
    ListMatch match{};
    a.Result = LookUpFile(lists, relativeName, &match, CollectRow, &a.Rows);
    if (a.Result == LookupResult::Found) {
      a.List = std::strrchr(match.List->Path.c_str(), '\\') + 1;
      a.Size = match.Entry.ExpectedSize;
      a.UseMd5 = match.UseMd5;
      if (match.UseMd5)
        a.Md5 = listtest::Hex(match.Entry.ExpectedMd5, 16);
      else
        a.Crc = match.Entry.ExpectedCrc;
    }
    return a;
  }

  // The names of the folder in the order it lists them.
  std::vector<std::string> DirectoryOrder() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    UniqueFindHandle find(::FindFirstFileA((folder_ + "*.*").c_str(), &found));
    if (find) {
      do names.push_back(found.cFileName);
      while (::FindNextFileA(find.Get(), &found));
    }
    return names;
  }

  // Of `a` and `b`, the one the folder lists first.
  std::string FirstListed(const std::string& a, const std::string& b) {
    for (const std::string& n : DirectoryOrder()) {
      if (n == a || n == b) return n;
    }
    return "";
  }

  std::string folder_;
  std::deque<CandidateLists> lists_;  // stays in place as it grows
};

const std::string kEmptyMd5 = "d41d8cd98f00b204e9800998ecf8427e";

TEST_F(CandidateListsTest, FirstListInDirectoryOrderDecidesAndSubfoldersByRelativeName) {
  ::CreateDirectoryA((folder_ + "sub").c_str(), nullptr);
  Write("a.sfv", "x.bin 11111111\r\nsub\\y.bin 22222222\r\n");
  Write("b.MD5", kEmptyMd5 + " *X.BIN\n" + kEmptyMd5 + " *only.bin\n");
  Write("c.txt", "c.bin 33333333\r\n");       // not a list here
  Write("d.sfvx", "c.bin 33333333\r\n");      // nor this
  Write(".sfv", "c.bin 33333333\r\n");        // four characters are too few
  Write("sub\\e.sfv", "y.bin 44444444\r\n");  // only the selection's folder counts
  const std::string first = FirstListed("a.sfv", "b.MD5");
  const Answer fromSfv{LookupResult::Found, "a.sfv", UnknownSize, 0x11111111, "", false, {}};
  const Answer fromMd5{LookupResult::Found, "b.MD5", UnknownSize, 0, kEmptyMd5, true, {}};
  for (bool useIndex : {true, false}) {
    SCOPED_TRACE(useIndex ? "index" : "search");
    CandidateLists* lists = Find(useIndex);
    std::vector<std::string> expected;
    for (const std::string& n : DirectoryOrder())
      if (n == "a.sfv" || n == "b.MD5") expected.push_back(n);
    EXPECT_EQ(Leaves(*lists), expected);
    EXPECT_EQ(Look(lists, "x.bin"), first == "a.sfv" ? fromSfv : fromMd5);
    EXPECT_EQ(Look(lists, "Only.Bin"),
              (Answer{LookupResult::Found, "b.MD5", UnknownSize, 0, kEmptyMd5, true, {}}));
    EXPECT_EQ(Look(lists, "SUB\\y.BIN"),
              (Answer{LookupResult::Found, "a.sfv", UnknownSize, 0x22222222, "", false, {}}));
    EXPECT_EQ(Look(lists, "y.bin").Result, LookupResult::NotFound);
    EXPECT_EQ(Look(lists, "c.bin").Result, LookupResult::NotFound);
  }
}

TEST_F(CandidateListsTest, FolderWithoutListsNamesNothing) {
  Write("x.bin", "x");
  Write("notes.txt", "x.bin 11111111\r\n");
  CandidateLists* lists = Find(true);
  EXPECT_EQ(lists->Head, nullptr);
  EXPECT_EQ(Look(lists, "x.bin"), Answer{});

  // A folder that does not exist holds no list either.
  CandidateLists missing{};
  const std::string gone = folder_ + "gone\\x.bin";
  ASSERT_TRUE(
      FindCandidateLists(gone.c_str(), static_cast<uint32_t>(folder_.size() + 5), {}, &missing));
  EXPECT_EQ(missing.Head, nullptr);
}

TEST_F(CandidateListsTest, ParListsAreKeptOnlyWithASoundHeader) {
  const unsigned char kFillH[16] = {'h', 'h', 'h', 'h', 'h', 'h', 'h', 'h',
                                    'h', 'h', 'h', 'h', 'h', 'h', 'h', 'h'};
  const std::string name = listtest::Utf16(u"x.bin");
  std::string damaged = listtest::MakePar({{name, 0, 5, 'd'}});
  damaged[200 % damaged.size()] ^= 1;  // the control hash no longer matches
  Write("damaged.par", damaged);
  std::string wrongSignature = listtest::MakePar({{name, 0, 6, 'w'}});
  wrongSignature[4] = 1;
  listtest::Seal(&wrongSignature);
  Write("signature.PAR", wrongSignature);
  Write("short.par", std::string(40, '\0'));  // too short to tell: kept, names nothing
  Write("good.par",
        listtest::MakePar({{listtest::Utf16(u"sub\\X.bin"), 0, 7, 'g'}, {name, 0, 8, 'h'}}));
  for (bool useIndex : {true, false}) {
    SCOPED_TRACE(useIndex ? "index" : "search");
    CandidateLists* lists = Find(useIndex);
    std::vector<std::string> expected;
    for (const std::string& n : DirectoryOrder())
      if (n == "good.par" || n == "short.par") expected.push_back(n);
    EXPECT_EQ(Leaves(*lists), expected);
    EXPECT_EQ(Look(lists, "X.BIN"),
              (Answer{LookupResult::Found, "good.par", 8, 0, listtest::Hex(kFillH, 16), true, {}}));
    EXPECT_EQ(Look(lists, "sub\\x.bin").Size, 7u);
  }
}

TEST_F(CandidateListsTest, ListsThatCannotBeOpenedAreReportedForEveryFileThatReachesThem) {
  const std::string locked = Write("locked.sfv", "x.bin 11111111\r\n");
  ::CreateDirectoryA((folder_ + "folder.md5").c_str(), nullptr);  // folders are not excluded
  Write("z.sfv", "z.bin 22222222\r\n");
  std::vector<std::string> unopened;
  for (const std::string& n : DirectoryOrder())
    if (n == "locked.sfv" || n == "folder.md5") unopened.push_back("Couldn't open " + folder_ + n);
  for (bool useIndex : {true, false}) {
    SCOPED_TRACE(useIndex ? "index" : "search");
    CandidateLists* lists = Find(useIndex, 50);
    UniqueFileHandle hold(::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(hold.Valid());
    const Answer none = Look(lists, "x.bin");
    EXPECT_EQ(none.Result, LookupResult::NotFound);
    EXPECT_EQ(none.Rows, unopened);
    // Having outlasted one wait, the list is tried once by later searches.
    const CandidateList* held = lists->Head;
    while (std::strcmp(held->Path.c_str(), locked.c_str()) != 0) held = held->Next;
    EXPECT_TRUE(held->StayedLocked);
    // Every selected file whose search reaches them is told again; one that
    // is found before them is not.
    EXPECT_EQ(Look(lists, "x.bin").Rows, unopened);
    std::vector<std::string> beforeZ;
    for (const std::string& n : DirectoryOrder()) {
      if (n == "z.sfv") break;
      if (n == "locked.sfv" || n == "folder.md5") beforeZ.push_back("Couldn't open " + folder_ + n);
    }
    Answer found = Look(lists, "z.bin");
    EXPECT_EQ(found.Result, LookupResult::Found);
    EXPECT_EQ(found.Rows, beforeZ);
    // Released, the list is read like any other.
    hold.Reset();
    found = Look(lists, "x.bin");
    EXPECT_EQ(found.List, "locked.sfv");
    EXPECT_FALSE(held->StayedLocked);
    EXPECT_EQ(found.Crc, 0x11111111u);
  }
}

std::string Pad(std::string s, size_t width) {
  s.resize(width > s.size() ? width : s.size(), ' ');
  return s;
}

TEST_F(CandidateListsTest, TheIndexAnswersAsReadingEveryListAgain) {
  // Every format the folder search takes, with names that come again within
  // a list and across lists, in other cases.
  Write("a.sfv",
        "; header\r\ndup.bin AAAA0001\r\nDUP.bin AAAA0002\r\nsub\\s.bin AAAA0003\r\n"
        "not an entry\r\n\"quoted name.bin\" AAAA0004\r\n");
  Write("b.md5", std::string(31, '0') + "1 *dup.bin\n" + std::string(31, '0') + "2 *m.bin\n" +
                     std::string(31, '0') + "3 *M.BIN\n");
  Write("c.csv", "Name,Size,CRC\r\nc.bin,12,CCCC0001\r\nm.bin,13,CCCC0002\r\n");
  Write("d.ckz", "CKZ00000002\r\nk.bin|x|14|DDDD0001\r\nc.bin|x|15|DDDD0002\r\n");
  const std::string dash = "------------------ ----------- ---------- --------";
  auto row = [&](const std::string& n, const std::string& size, const std::string& crc) {
    return Pad(n, 19) + Pad(size, 12) + Pad("2004-01-01", 11) + crc + "\r\n";
  };
  Write("e.crc", " JPEG Sheriff 2.0 - CRC report\r\n\r\nName Size Date CRC\r\n" + dash + "\r\n" +
                     row("j.jpg", "1,234", "EEEE0001") + row("k.bin", "16", "EEEE0002") + dash +
                     "\r\n");
  Write("f.par", listtest::MakePar({{listtest::Utf16(u"p.bin"), 0, 17, 'p'},
                                    {listtest::Utf16(u"j.jpg"), 0, 18, 'q'}}));
  ::CreateDirectoryA((folder_ + "g.sfv").c_str(), nullptr);  // reported, never indexed
  const char* names[] = {"dup.bin", "DUP.BIN", "sub\\s.bin", "SUB\\S.BIN", "quoted name.bin",
                         "m.bin",   "c.bin",   "k.bin",      "j.jpg",      "p.bin",
                         "nowhere", "not an",  "",           "dup.bin "};
  CandidateLists* indexed = Find(true);
  CandidateLists* searched = Find(false);
  for (int round = 0; round < 2; ++round) {  // the second round is answered from memory
    for (const char* n : names) {
      SCOPED_TRACE(n);
      EXPECT_EQ(Look(indexed, n), Look(searched, n));
    }
  }
  // The first entry of the first list that names a file decides.
  const Answer dup = Look(indexed, "Dup.Bin");
  EXPECT_EQ(dup.List, FirstListed("a.sfv", "b.md5"));
  if (dup.List == "a.sfv") {
    EXPECT_EQ(dup.Crc, 0xAAAA0001u);
  }
  EXPECT_EQ(Look(indexed, "m.bin").Md5, std::string(31, '0') + "2");
  EXPECT_EQ(Look(indexed, "j.jpg").List, FirstListed("e.crc", "f.par"));
  const Answer sheriff = Look(indexed, "k.bin");
  if (sheriff.List == "e.crc") {
    EXPECT_EQ(sheriff.Size, 16u);
  }
}

}  // namespace
