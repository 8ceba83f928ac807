// Corvana.exe end to end with OUTPUT: on folders built here: result lines,
// summary wording, the database kept inside lists and every list format.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "corvana_process_win32.h"
#include "formats/base64.h"
#include "formats/text_encoding.h"
#include "hashing/digest.h"
#include "hashing/digest_text.h"
#include "platform/ansi_codepage.h"
#include "platform/file_time_win32.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"
#include "tests/platform/unicode_names.h"
#include "verifier/database_lines.h"
#include "verifier/verified_bitmap.h"

namespace {

constexpr uint64_t kHour = 36000000000ull;

std::string Hex8(uint32_t v, bool upper = true) {
  char s[9];
  std::snprintf(s, sizeof s, upper ? "%08X" : "%08x", v);
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return s;
}

void SetWriteTime(const std::string& path, uint64_t t) {
  UniqueFileHandle f(CreateFileUtf8(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  ::SetFileTime(f.Get(), nullptr, nullptr, &ft);
}

// Waits until the running Corvana has created `path` and holds it: opening
// it is then refused. False when the process ended first.
bool WaitUntilHeld(HANDLE process, const std::string& path) {
  while (::WaitForSingleObject(process, 5) == WAIT_TIMEOUT) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h);
      ADD_FAILURE() << path << " was readable during the run";
      return false;
    }
    if (::GetLastError() == ERROR_SHARING_VIOLATION) return true;
  }
  return false;
}

class Run : public ::testing::Test {
 protected:
  void SetUp() override { Install(""); }
  void TearDown() override { RemoveTestFolder(root_); }

  void Install(const std::string& extraIni) {
    if (!root_.path.empty()) RemoveTestFolder(root_);
    root_ = MakeTestFolder("run");
    exe_ = InstallCorvana(root_, "[Corvana]\r\nSignature=cafe01\r\n" + extraIni);
    data_ = root_.path + "data\\";
    ::CreateDirectoryA(data_.c_str(), nullptr);
  }

  // A file in the data folder, written an hour ago unless told otherwise.
  std::string Put(const std::string& name, const std::string& bytes, uint64_t age = kHour) {
    PutFile(data_ + name, bytes);
    if (age) SetWriteTime(data_ + name, SystemTimeTicks() - age);
    return bytes;
  }

  // Verifies data\<list> with a relative OUTPUT: from another working folder
  // and returns the results file's lines.
  std::vector<std::string> Verify(const std::string& list, const std::string& extra = "") {
    ::DeleteFileA((data_ + "out.txt").c_str());
    DWORD code = RunCorvana(exe_, "\"" + data_ + list + "\" OUTPUT:out.txt " + extra, root_.path);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(FileThere(root_.path + "out.txt"));  // made in the list's folder
    return Lines(GetFile(data_ + "out.txt"));
  }

  std::string List(const std::string& name) { return GetFile(data_ + name); }

  TestFolder root_;
  std::string exe_, data_;
};

TEST_F(Run, ResultLinesAndSummaryForMixedOutcomes) {
  std::string good = Put("good.bin", "hello");
  std::string bad = Put("bad.bin", "world");
  Put("bad2.bin", "again");
  Put("list.sfv", "; header\r\ngood.bin " + Hex8(Crc32Of(good)) + "\r\nbad.bin 00000001\r\n" +
                      "no-space-line\r\ngone.bin 12345678\r\nbad2.bin 0\r\n");
  auto lines = Verify("list.sfv");
  std::vector<std::string> expected = {
      "Corvana v2.33",
      "good.bin: " + Hex8(Crc32Of(good)) + ":  OK",
      "bad.bin: " + Hex8(Crc32Of(bad), false) + ":  FAILED.  CRC mismatch",
      "Invalid line in SFV file: \"no-space-line\"",
      "gone.bin: :   FAILED.  File does not exist",
      "bad2.bin: " + Hex8(Crc32Of("again"), false) + ":  FAILED.  CRC mismatch",
      "4 files checked",
      "There were 2 bad files and 1 missing file",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(Run, SingularWordingAndUnresolvedNames) {
  std::string good = Put("good.bin", "hello");
  Put("one.sfv", "good.bin " + Hex8(Crc32Of(good)) + "\r\ngone.bin 1\r\n");
  auto lines = Verify("one.sfv");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "2 files checked");
  EXPECT_EQ(lines[4], "There was 1 missing file");

  // "a.txt" matches both a1.txt and a-b.txt once its punctuation is a wildcard.
  Put("a1.txt", "x");
  Put("a-b.txt", "y");
  Put("multi.sfv", "a.txt 00000000\r\n");
  lines = Verify("multi.sfv");
  std::vector<std::string> expected = {
      "Corvana v2.33", "a.txt: :   FAILED.  Could not resolve filename", "1 file checked",
      "1 filename resolved to multiple filenames and was not verified"};
  EXPECT_EQ(lines, expected);
}

TEST_F(Run, EmptyListAndTheVerifiedTag) {
  Install("AddTag=1\r\n");
  Put("empty.sfv", "");
  EXPECT_EQ(Verify("empty.sfv"), (std::vector<std::string>{"Corvana v2.33", "0 files checked"}));
  EXPECT_FALSE(FileThere(data_ + "_Verified_"));

  std::string a = Put("a.bin", "abc");
  Put("ok.sfv", "a.bin " + Hex8(Crc32Of(a)) + "\r\n");
  auto lines = Verify("ok.sfv");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "All files OK");
  ASSERT_TRUE(FileThere(data_ + "_Verified_"));
  EXPECT_EQ(GetFile(data_ + "_Verified_"), "");
}

TEST_F(Run, DatabaseIsWrittenReusedAndReplacedInPlace) {
  std::string entries;
  for (int i = 0; i < 9; ++i) {
    std::string name = "f" + std::to_string(i) + ".bin";
    std::string body = Put(name, "content " + std::to_string(i));
    entries += name + " " + Hex8(Crc32Of(body));
    if (i < 8) entries += "\r\n";  // the list ends without a line break
  }
  Put("nine.sfv", entries);
  auto first = Verify("nine.sfv");
  ASSERT_EQ(first.size(), 12u);
  EXPECT_EQ(first.back(), "All files OK");

  std::string list = List("nine.sfv");
  ASSERT_EQ(list.compare(0, entries.size() + 2, entries + "\r\n"), 0);
  auto db = Lines(list.substr(entries.size() + 2));
  ASSERT_EQ(db.size(), 3u);
  EXPECT_EQ(db[0], ";Q2-cafe01");
  EXPECT_EQ(db[1].size(), 16u);  // ";Q2-" and 12 Base64 characters
  EXPECT_EQ(db[2], ";Q2-/4A=");  // nine entries: 0xFF and 0x80

  auto second = Verify("nine.sfv");
  ASSERT_EQ(second.size(), 12u);
  EXPECT_EQ(second[1],
            "f0.bin: " + Hex8(Crc32Of("content 0"), false) + ":  OK (Previously verified)");
  EXPECT_EQ(second.back(), "All files OK");
  std::string again = List("nine.sfv");
  EXPECT_EQ(again.compare(0, entries.size() + 2, entries + "\r\n"), 0);
  EXPECT_EQ(Lines(again.substr(entries.size() + 2)).size(), 3u);  // replaced, not appended
}

TEST_F(Run, UpdateDbOffUsesTheDatabaseButNeverWritesIt) {
  Install("UpdateDB=off\r\n");
  std::string a = Put("a.bin", "aaa", 2 * kHour);
  std::string b = Put("b.bin", "bbb", 2 * kHour);
  auto bitmap = std::make_unique<VerifiedBitmap>();
  ClearBitmap(bitmap.get());
  bitmap->bytes[0] = 0x80;
  std::string list = "a.bin " + Hex8(Crc32Of(a)) + "\r\nb.bin " + Hex8(Crc32Of(b)) + "\r\n" +
                     BuildDatabaseText("cafe01", SystemTimeTicks() - kHour, *bitmap, 2);
  Put("list.sfv", list, 0);
  auto lines = Verify("list.sfv");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "a.bin: " + Hex8(Crc32Of(a), false) + ":  OK (Previously verified)");
  EXPECT_EQ(lines[2], "b.bin: " + Hex8(Crc32Of(b)) + ":  OK");
  EXPECT_EQ(List("list.sfv"), list);

  // NODBUPDATE does the same with the setting on.
  Install("");
  Put("a.bin", a, 2 * kHour);
  Put("b.bin", b, 2 * kHour);
  Put("list.sfv", list, 0);
  lines = Verify("list.sfv", "NODBUPDATE");
  EXPECT_EQ(lines[1], "a.bin: " + Hex8(Crc32Of(a), false) + ":  OK (Previously verified)");
  EXPECT_EQ(List("list.sfv"), list);
}

TEST_F(Run, ForeignSignatureIsIgnoredAndReplaced) {
  std::string a = Put("a.bin", "aaa", 2 * kHour);
  auto bitmap = std::make_unique<VerifiedBitmap>();
  ClearBitmap(bitmap.get());
  bitmap->bytes[0] = 0xFF;
  std::string entries = "a.bin " + Hex8(Crc32Of(a)) + "\r\n";
  Put("list.sfv", entries + BuildDatabaseText("beef99", SystemTimeTicks() - kHour, *bitmap, 1), 0);
  auto lines = Verify("list.sfv");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "a.bin: " + Hex8(Crc32Of(a)) + ":  OK");  // hashed again
  std::string list = List("list.sfv");
  EXPECT_EQ(list.compare(0, entries.size() + 12, entries + ";Q2-cafe01\r\n"), 0);
}

TEST_F(Run, ExpiredDatabaseVerifiesEverything) {
  Install("ExpireTime=1d\r\n");
  std::string a = Put("a.bin", "aaa", 48 * kHour);
  auto bitmap = std::make_unique<VerifiedBitmap>();
  ClearBitmap(bitmap.get());
  bitmap->bytes[0] = 0x80;
  std::string entries = "a.bin " + Hex8(Crc32Of(a)) + "\r\n";
  Put("old.sfv", entries + BuildDatabaseText("cafe01", SystemTimeTicks() - 25 * kHour, *bitmap, 1),
      0);
  Put("new.sfv", entries + BuildDatabaseText("cafe01", SystemTimeTicks() - 23 * kHour, *bitmap, 1),
      0);
  EXPECT_EQ(Verify("old.sfv")[1], "a.bin: " + Hex8(Crc32Of(a)) + ":  OK");
  EXPECT_EQ(Verify("new.sfv")[1],
            "a.bin: " + Hex8(Crc32Of(a), false) + ":  OK (Previously verified)");
}

TEST_F(Run, ModifiedFileIsVerifiedAgain) {
  std::string a = Put("a.bin", "aaa");
  std::string b = Put("b.bin", "bbb");
  Put("list.sfv", "a.bin " + Hex8(Crc32Of(a)) + "\r\nb.bin " + Hex8(Crc32Of(b)) + "\r\n");
  EXPECT_EQ(Verify("list.sfv").back(), "All files OK");
  Put("b.bin", "changed", 0);  // written now, after the database
  auto lines = Verify("list.sfv");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "a.bin: " + Hex8(Crc32Of(a), false) + ":  OK (Previously verified)");
  EXPECT_EQ(lines[2], "b.bin: " + Hex8(Crc32Of("changed"), false) + ":  FAILED.  CRC mismatch");
  EXPECT_EQ(lines[4], "There was 1 bad file");
}

// A PAR 1.0 index of the given files with their status fields.
std::string MakePar(const std::vector<std::pair<std::string, std::string>>& files,
                    uint64_t status) {
  std::string par(96, '\0');
  std::memcpy(&par[0], "PAR\0\0\0\0\0", 8);
  par[8] = 0;
  par[9] = 0;
  par[10] = 1;  // version 1.0
  par[64] = 96;
  for (const auto& [name, body] : files) {
    std::string entry(56, '\0');
    uint64_t size = 56 + 2 * name.size();
    std::memcpy(&entry[0], &size, 8);
    std::memcpy(&entry[8], &status, 8);
    uint64_t length = body.size();
    std::memcpy(&entry[16], &length, 8);
    Md5Of(body, reinterpret_cast<unsigned char*>(&entry[24]));
    for (char c : name) {
      entry += c;
      entry += '\0';
    }
    par += entry;
  }
  unsigned char digest[16];
  Md5Of(par.substr(32), digest);
  std::memcpy(&par[16], digest, 16);
  return par;
}

TEST_F(Run, ParFlagsAreRewrittenWithAValidControlHash) {
  std::string a = Put("a.bin", "alpha");
  Put("b.bin", "beta");
  std::string par = MakePar({{"a.bin", "alpha"}, {"b.bin", "bet4"}}, 1);
  Put("set.par", par);
  auto lines = Verify("set.par");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "a.bin: " + Upper(Md5HexOf(a)) + ":  OK");
  EXPECT_EQ(lines[2], "b.bin: " + Upper(Md5HexOf("beta")) + ":  FAILED.  CRC mismatch");

  std::string after = List("set.par");
  ASSERT_EQ(after.size(), par.size());
  unsigned char digest[16];
  Md5Of(after.substr(32), digest);
  EXPECT_EQ(std::memcmp(digest, after.data() + 16, 16), 0);  // the control hash holds
  const size_t firstStatus = 96 + 8, secondStatus = 96 + 66 + 8;
  EXPECT_EQ(after[firstStatus], 3);   // verified bit set
  EXPECT_EQ(after[secondStatus], 1);  // and cleared
  std::string rest = after;
  rest.replace(16, 16, par.substr(16, 16));
  rest[firstStatus] = 1;
  EXPECT_EQ(rest, par);  // nothing else changed

  lines = Verify("set.par");
  EXPECT_EQ(lines[1], "a.bin: " + Upper(Md5HexOf(a)) + ":  OK (Previously verified)");

  // A damaged index is refused and left alone.
  std::string damaged = par;
  damaged[100] ^= 1;
  Put("bad.par", damaged);
  lines = Verify("bad.par");
  std::vector<std::string> expected = {"Corvana v2.33", data_ + "bad.par: :   Invalid .PAR file",
                                       "0 files checked"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(List("bad.par"), damaged);
}

void PutLe32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; ++i) *s += static_cast<char>(v >> (8 * i));
}

TEST_F(Run, EveryListFormatVerifies) {
  std::string a = Put("a.bin", "alpha");
  std::string b = Put("b.bin", "bravo!");
  auto crc = [](const std::string& s) { return Hex8(Crc32Of(s)); };
  Put("l.sfv", "a.bin " + crc(a) + "\r\nb.bin " + crc(b) + "\r\n");
  Put("l.md5", Md5HexOf(a) + " *a.bin\r\n" + Upper(Md5HexOf(b)) + "  b.bin\r\n");
  Put("l.ckz", "CKZ00000002\r\na.bin|x|5|" + crc(a) + "\r\nb.bin|y|6|" + crc(b) + "\r\n");
  Put("l.csv", "a.bin,5," + crc(a) + "\r\n\"b.bin\" , 6 , " + crc(b) + "\r\n");
  Put("sheriff.crc",
      "Report of the jpeg Sheriff\r\n"
      "Name       Size     Date     CRC\r\n"
      "---------- -------- -------- --------\r\n"
      "a.bin      5        today    " +
          crc(a) +
          "\r\n"
          "b.bin      6        today    " +
          crc(b) +
          "\r\n"
          "---------- -------- -------- --------\r\n");
  Put("text.crc", "CRC Values for data\r\na.bin - " + crc(a) + "\r\nb.bin -- " + crc(b) + "\r\n");
  std::string binary(128, '\0');
  for (const auto& [name, body] : {std::pair<std::string, std::string>{"a.bin", a}, {"b.bin", b}}) {
    binary += name + '\0' + "note" + '\0';
    PutLe32(&binary, 0);  // attributes: a file
    binary += std::string(24, '\0');
    PutLe32(&binary, static_cast<uint32_t>(body.size()));
    PutLe32(&binary, 0);
    PutLe32(&binary, Crc32Of(body));
  }
  Put("binary.crc", binary);
  Put("l.par", MakePar({{"a.bin", a}, {"b.bin", b}}, 1));

  for (const char* list :
       {"l.sfv", "l.md5", "l.ckz", "l.csv", "sheriff.crc", "text.crc", "binary.crc", "l.par"}) {
    bool md5 = std::strstr(list, ".md5") || std::strstr(list, ".par");
    std::vector<std::string> expected = {
        "Corvana v2.33",
        "a.bin: " + (md5 ? Upper(Md5HexOf(a)) : crc(a)) + ":  OK",
        "b.bin: " + (md5 ? Upper(Md5HexOf(b)) : crc(b)) + ":  OK",
        "2 files checked",
        "All files OK",
    };
    EXPECT_EQ(Verify(list, "DOALL"), expected) << list;
  }
  // A size that differs is a length mismatch in the formats that carry one.
  Put("short.csv", "a.bin,4," + crc(a) + "\r\n");
  EXPECT_EQ(Verify("short.csv")[1], "a.bin: :   FAILED.  File length mismatch");
  Put("empty.ckz", "");
  EXPECT_EQ(Verify("empty.ckz"),
            (std::vector<std::string>{"Corvana v2.33", "Invalid .CKZ format", "0 files checked"}));
}

TEST_F(Run, LockedListReportsCouldNotUpdateDb) {
  std::string a = Put("a.bin", "aaa");
  std::string list = "a.bin " + Hex8(Crc32Of(a)) + "\r\n";
  Put("list.sfv", list);
  // Another program holds the list with read sharing only: reading works,
  // the rewrite is refused and the list stays as it was.
  UniqueFileHandle holder(::CreateFileA((data_ + "list.sfv").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  auto lines = Verify("list.sfv");
  std::vector<std::string> expected = {"Corvana v2.33", "a.bin: " + Hex8(Crc32Of(a)) + ":  OK",
                                       "Could not update DB", "1 file checked", "All files OK"};
  EXPECT_EQ(lines, expected);
  holder.Reset();
  EXPECT_EQ(List("list.sfv"), list);
}

TEST_F(Run, OutputFileIsRefusedToOtherReadersDuringTheRun) {
  // A 2 GB sparse file keeps the run busy hashing MD5 for a while.
  ASSERT_TRUE(MakeSparseFile(data_ + "big.bin", 2000000000));
  Put("big.md5", std::string(32, '0') + " *big.bin\r\n");
  UniqueKernelHandle process =
      StartCorvana(exe_, "\"" + data_ + "big.md5\" OUTPUT:out.txt", root_.path);
  ASSERT_TRUE(process);
  EXPECT_TRUE(WaitUntilHeld(process.Get(), data_ + "out.txt"));
  ASSERT_EQ(::WaitForSingleObject(process.Get(), 120000), WAIT_OBJECT_0);
  auto lines = Lines(GetFile(data_ + "out.txt"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[1].find("FAILED.  CRC mismatch"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[3], "There was 1 bad file");
  ::DeleteFileA((data_ + "big.bin").c_str());
}

// The database's time line is when the run started, not when it ended: a
// file rewritten after it was hashed, while the run went on, counts as
// modified next time and is hashed again.
TEST_F(Run, FileChangedDuringTheRunIsVerifiedAgainNextTime) {
  std::string a = Put("a.bin", "aaa");
  ASSERT_TRUE(MakeSparseFile(data_ + "big.bin", 6000000000));
  std::string entries = "a.bin " + Hex8(Crc32Of(a)) + "\r\nbig.bin 00000000\r\n";
  Put("list.sfv", entries);
  const uint64_t launched = SystemTimeTicks();
  UniqueKernelHandle process =
      StartCorvana(exe_, "\"" + data_ + "list.sfv\" OUTPUT:out.txt", root_.path);
  ASSERT_TRUE(process);
  ASSERT_TRUE(WaitUntilHeld(process.Get(), data_ + "out.txt"));
  ::Sleep(500);        // a.bin, the first entry, is hashed by now; big.bin is not
  Put("a.bin", a, 0);  // the same bytes, written now
  const uint64_t rewritten = SystemTimeTicks();
  EXPECT_EQ(::WaitForSingleObject(process.Get(), 0), WAIT_TIMEOUT)
      << "the run ended before a.bin was rewritten; the test needs a bigger file";
  ASSERT_EQ(::WaitForSingleObject(process.Get(), 120000), WAIT_OBJECT_0);
  ::DeleteFileA((data_ + "big.bin").c_str());
  EXPECT_EQ(Lines(GetFile(data_ + "out.txt"))[1], "a.bin: " + Hex8(Crc32Of(a)) + ":  OK");

  std::string list = List("list.sfv");
  ASSERT_EQ(list.compare(0, entries.size(), entries), 0);
  auto db = Lines(list.substr(entries.size()));
  ASSERT_EQ(db.size(), 3u);
  uint64_t stamp = 0;
  ASSERT_EQ(Base64Decode(db[1].c_str() + 4, &stamp, sizeof stamp), 8u);
  EXPECT_GE(stamp, launched);
  EXPECT_LT(stamp, rewritten);

  auto lines = Verify("list.sfv");
  std::vector<std::string> expected = {"Corvana v2.33", "a.bin: " + Hex8(Crc32Of(a)) + ":  OK",
                                       "big.bin: :   FAILED.  File does not exist",
                                       "2 files checked", "There was 1 missing file"};
  EXPECT_EQ(lines, expected);
}

// Long lists answer the exact-name test from folder listings: names match
// whatever their case, in the list's folder and in subfolders, and a name
// with no file of its own (removed, or reaching one only by wildcard) is
// hashed instead of passing as previously verified.
TEST_F(Run, LongListsFindExactNamesInEveryFolderWhateverTheirCase) {
  ::CreateDirectoryA((data_ + "Sub").c_str(), nullptr);
  std::string entries, expected;
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) {
    std::string file =
        (i % 3 == 0 ? "Sub\\" : "") + std::string("file") + std::to_string(i) + ".bin";
    Put(file, "body " + std::to_string(i), 2 * kHour);
    std::string name = i % 2 ? Upper(file) : file;  // the list spells half in upper case
    if (i == 50) name = "file_50.bin";              // reaches file50.bin only by wildcard
    names.push_back(name);
    entries += name + " " + Hex8(Crc32Of("body " + std::to_string(i))) + "\r\n";
  }
  ::DeleteFileA((data_ + "file40.bin").c_str());
  auto bitmap = std::make_unique<VerifiedBitmap>();
  std::memset(bitmap->bytes, 0xFF, sizeof bitmap->bytes);
  Put("long.sfv", entries + BuildDatabaseText("cafe01", SystemTimeTicks() - kHour, *bitmap, 60), 0);
  auto lines = Verify("long.sfv");
  ASSERT_EQ(lines.size(), 63u);
  for (int i = 0; i < 60; ++i) {
    const std::string crc = Hex8(Crc32Of("body " + std::to_string(i)));
    std::string want;
    if (i == 40) {
      want = names[i] + ": :   FAILED.  File does not exist";
    } else if (i == 50) {
      want = names[i] + ": " + crc + ":  OK";
    } else {
      want = names[i] + ": " + Hex8(Crc32Of("body " + std::to_string(i)), false) +
             ":  OK (Previously verified)";
    }
    EXPECT_EQ(lines[1 + i], want) << i;
  }
  EXPECT_EQ(lines[62], "There was 1 missing file");
}

// A long list that moves between more folders than the listings keep, with
// the folders spelt in either case: every answer stays the one a direct
// search gives, whether it comes from a listing or, once listings would be
// taken for nearly every entry, from the direct search itself.
TEST_F(Run, LongListsCyclingThroughManyFoldersKeepEveryAnswer) {
  constexpr int kFolders = 6, kEntries = 240;
  for (int f = 0; f < kFolders; ++f) {
    ::CreateDirectoryA((data_ + "Dir" + std::to_string(f)).c_str(), nullptr);
  }
  std::string entries;
  std::vector<std::string> names;
  for (int i = 0; i < kEntries; ++i) {
    std::string folder = "Dir" + std::to_string(i % kFolders) + "\\";
    std::string file = folder + "f" + std::to_string(i) + ".bin";
    Put(file, "cycle " + std::to_string(i), 2 * kHour);
    std::string name = (i / kFolders) % 2 ? Upper(folder) + "f" + std::to_string(i) + ".bin" : file;
    names.push_back(name);
    entries += name + " " + Hex8(Crc32Of("cycle " + std::to_string(i))) + "\r\n";
  }
  ::DeleteFileA((data_ + "Dir1\\f199.bin").c_str());
  auto bitmap = std::make_unique<VerifiedBitmap>();
  std::memset(bitmap->bytes, 0xFF, sizeof bitmap->bytes);
  Put("cycle.sfv",
      entries + BuildDatabaseText("cafe01", SystemTimeTicks() - kHour, *bitmap, kEntries), 0);
  auto lines = Verify("cycle.sfv");
  ASSERT_EQ(lines.size(), kEntries + 3u);
  for (int i = 0; i < kEntries; ++i) {
    const std::string want = i == 199 ? names[i] + ": :   FAILED.  File does not exist"
                                      : names[i] + ": " +
                                            Hex8(Crc32Of("cycle " + std::to_string(i)), false) +
                                            ":  OK (Previously verified)";
    EXPECT_EQ(lines[1 + i], want) << i;
  }
}

// Entries past the bitmap's 262,144 still verify; they are simply not
// remembered, and the stored bitmap stops at its last byte.
TEST_F(Run, EntriesBeyondTheBitmapAreVerifiedButNotRemembered) {
  constexpr uint32_t kEntries = kBitmapEntries + 6;
  std::string a = Put("a.bin", "aaa", 2 * kHour);
  std::string line = "a.bin " + Hex8(Crc32Of(a)) + "\r\n";
  std::string entries;
  entries.reserve(line.size() * kEntries);
  for (uint32_t i = 0; i < kEntries; ++i) entries += line;
  auto bitmap = std::make_unique<VerifiedBitmap>();
  std::memset(bitmap->bytes, 0xFF, sizeof bitmap->bytes);
  Put("huge.sfv",
      entries + BuildDatabaseText("cafe01", SystemTimeTicks() - kHour, *bitmap, kBitmapEntries), 0);

  auto lines = Verify("huge.sfv");
  ASSERT_EQ(lines.size(), kEntries + 3);
  const std::string previously =
      "a.bin: " + Hex8(Crc32Of(a), false) + ":  OK (Previously verified)";
  const std::string hashed = "a.bin: " + Hex8(Crc32Of(a)) + ":  OK";
  EXPECT_EQ(lines[1], previously);
  EXPECT_EQ(lines[kBitmapEntries], previously);
  for (uint32_t i = kBitmapEntries + 1; i <= kEntries; ++i) EXPECT_EQ(lines[i], hashed) << i;
  EXPECT_EQ(lines[kEntries + 1], std::to_string(kEntries) + " files checked");
  EXPECT_EQ(lines[kEntries + 2], "All files OK");

  std::string list = List("huge.sfv");
  ASSERT_EQ(list.compare(0, entries.size(), entries), 0);
  auto db = Lines(list.substr(entries.size()));
  ASSERT_EQ(db.size(), 2u + (kBitmapBytes + 47) / 48);
  std::string stored;
  for (size_t i = 2; i < db.size(); ++i) {
    unsigned char bytes[48];
    size_t n = Base64Decode(db[i].c_str() + 4, bytes, sizeof bytes);
    stored.append(reinterpret_cast<char*>(bytes), n);
  }
  EXPECT_EQ(stored, std::string(kBitmapBytes, '\xFF'));
}

}  // namespace

namespace {

// A list's text in one of the forms a list may take.
enum class ListForm { Utf8, Utf8Bom, Utf16Le, Ansi };

std::string InForm(const std::string& utf8, ListForm form) {
  switch (form) {
    case ListForm::Utf8:
      return utf8;
    case ListForm::Utf8Bom:
      return "\xEF\xBB\xBF" + utf8;
    case ListForm::Utf16Le:
      return "\xFF\xFE" + TextForList(utf8, TextEncoding::Utf16Le);
    case ListForm::Ansi:
      break;
  }
  std::string ansi;
  EXPECT_TRUE(AppendUtf8AsAnsi(utf8.data(), utf8.size(), &ansi, true));
  return ansi;
}

// The names of the shared table the form can hold: the Western ANSI code
// page holds only some.
std::vector<std::string> NamesFor(ListForm form) {
  std::vector<std::string> names;
  for (const UnicodeName& name : kUnicodeNames) {
    std::string ansi;
    if (form == ListForm::Ansi && !AppendUtf8AsAnsi(name.Utf8, std::strlen(name.Utf8), &ansi, true))
      continue;
    names.push_back(name.Utf8);
  }
  return names;
}

}  // namespace

TEST_F(Run, UnicodeNamesVerifyFromListsInEveryEncoding) {
  const std::vector<std::string> all = NamesFor(ListForm::Utf8);
  for (const std::string& name : all) Put(name, "contents of " + name);
  struct Case {
    const char* list;
    ListForm form;
    bool md5;
  } cases[] = {{"utf8.sfv", ListForm::Utf8, false},     {"bom.md5", ListForm::Utf8Bom, true},
               {"utf16.sfv", ListForm::Utf16Le, false}, {"utf16.md5", ListForm::Utf16Le, true},
               {"ansi.sfv", ListForm::Ansi, false},     {"ansi.md5", ListForm::Ansi, true}};
  for (const Case& c : cases) {
    const std::vector<std::string> names = NamesFor(c.form);
    ASSERT_GE(names.size(), 3u) << c.list;  // é, ü and the name ending in a dot at least
    std::string text, expected;
    for (const std::string& name : names) {
      const std::string body = "contents of " + name;
      text +=
          c.md5 ? Md5HexOf(body) + " *" + name + "\n" : name + " " + Hex8(Crc32Of(body)) + "\r\n";
      expected += name + ": " + (c.md5 ? Upper(Md5HexOf(body)) : Hex8(Crc32Of(body))) + ":  OK\r\n";
    }
    Put(c.list, InForm(text, c.form));
    const std::string results = [&] {
      Verify(c.list, "NODBUPDATE");
      return GetFile(data_ + "out.txt");
    }();
    // An ANSI list gives an ANSI results file, any other UTF-8 without a mark.
    const std::string want = "Corvana v2.33\r\n" + expected + std::to_string(names.size()) +
                             " files checked\r\nAll files OK\r\n";
    EXPECT_EQ(results, c.form == ListForm::Ansi ? InForm(want, ListForm::Ansi) : want) << c.list;
  }
}

TEST_F(Run, DatabaseWrittenIntoAListKeepsItsEncoding) {
  std::string text;
  for (const std::string& name : NamesFor(ListForm::Utf8)) {
    const std::string body = Put(name, "db " + name);
    text += name + " " + Hex8(Crc32Of(body)) + "\r\n";
  }
  for (ListForm form : {ListForm::Utf8, ListForm::Utf16Le}) {
    const std::string before = InForm(text, form);
    Put("db.sfv", before);
    EXPECT_EQ(Verify("db.sfv").back(), "All files OK");
    const std::string after = List("db.sfv");
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.compare(0, before.size(), before), 0) << "the entries stay as they were";
    const std::string tail = after.substr(before.size());
    if (form == ListForm::Utf8) {
      EXPECT_TRUE(IsValidUtf8(after.data(), after.size()));
      EXPECT_EQ(tail.compare(0, 4, ";Q2-"), 0);
    } else {
      EXPECT_EQ(TextAsUtf8(tail.data(), tail.size(), TextEncoding::Utf16Le)
                    .compare(0, 11, ";Q2-cafe01\r"),
                0);
    }
    // The second run reads the database back: every name previously verified.
    auto second = Verify("db.sfv");
    ASSERT_EQ(second.size(), NamesFor(ListForm::Utf8).size() + 3);
    for (size_t i = 1; i + 2 < second.size(); ++i)
      EXPECT_NE(second[i].find(":  OK (Previously verified)"), std::string::npos) << second[i];
  }
}

TEST_F(Run, ListsInFoldersOfLongPathsVerify) {
  for (size_t length : {300u, 1000u}) {
    // Folders of up to 100 characters each, until the list's path has
    // `length` characters.
    std::string folder = data_;
    while (folder.size() + 101 + 10 < length) {
      folder += std::string(100, length == 300 ? 'd' : 'e');
      ASSERT_TRUE(CreateFolderUtf8(folder.c_str())) << folder.size() << " " << GetLastError();
      folder += '\\';
    }
    const std::string leaf = std::string(length - folder.size() - 4, 'l') + ".sfv";
    const std::string body = "deep " + std::to_string(length);
    const std::string name = "\xE6\x9D\xB1\xE4\xBA\xAC deep.bin";  // 東京 deep.bin
    PutFile(folder + name, body);
    PutFile(folder + leaf, name + " " + Hex8(Crc32Of(body)) + "\r\n");
    ASSERT_EQ(Wide(folder + leaf).size(), length);
    EXPECT_EQ(RunCorvana(exe_, "\"" + folder + leaf + "\" OUTPUT:out.txt", root_.path), 0u);
    EXPECT_EQ(
        Lines(GetFile(folder + "out.txt")),
        (std::vector<std::string>{"Corvana v2.33", name + ": " + Hex8(Crc32Of(body)) + ":  OK",
                                  "1 file checked", "All files OK"}))
        << length;
  }
}

TEST_F(Run, ListTakenAsUtf8TurnsAnsiWhenOnlyTheAnsiNamesExist) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western ANSI code page";
  // The bytes C3 A9 read as UTF-8 are "é", in the ANSI code page "Ã©": only
  // the file of the second reading exists.
  const std::string body = Put("\xC3\x83\xC2\xA9.bin", "ansi");
  const std::string plain = Put("plain.bin", "plain");
  Put("old.sfv",
      "plain.bin " + Hex8(Crc32Of(plain)) + "\r\n\xC3\xA9.bin " + Hex8(Crc32Of(body)) + "\r\n");
  EXPECT_EQ(
      Verify("old.sfv", "NODBUPDATE"),
      (std::vector<std::string>{"Corvana v2.33", "plain.bin: " + Hex8(Crc32Of(plain)) + ":  OK",
                                "\xC3\x83\xC2\xA9.bin: " + Hex8(Crc32Of(body)) + ":  OK",
                                "2 files checked", "All files OK"}));
}

std::string DigestHexOf(DigestAlgorithm algorithm, const std::string& bytes) {
  DigestContext ctx;
  DigestInit(&ctx, algorithm);
  DigestUpdate(&ctx, bytes.data(), bytes.size());
  unsigned char out[kMaxDigestBytes];
  DigestFinal(&ctx, out);
  char hex[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(out, DigestBytes(algorithm), hex, false);
  return hex;
}

TEST_F(Run, DigestListsVerifyWithTheirOwnAlgorithmAndAreNeverWritten) {
  struct Case {
    const char* list;
    DigestAlgorithm algorithm;
    bool tagged;
  } cases[] = {
      {"SHA256SUMS", DigestAlgorithm::Sha256, false}, {"x.sha1", DigestAlgorithm::Sha1, false},
      {"x.sha512", DigestAlgorithm::Sha512, false},   {"x.b3", DigestAlgorithm::Blake3, false},
      {"tagged.txt", DigestAlgorithm::Sha256, true},
  };
  const std::string good = Put("good.bin", std::string(70000, 'g'));
  const std::string bad = Put("bad.bin", "the file as it is now");
  for (const Case& k : cases) {
    SCOPED_TRACE(k.list);
    const std::string g = DigestHexOf(k.algorithm, good);
    const std::string b = DigestHexOf(k.algorithm, "the file as it was");
    const char* tag = "SHA256";
    const std::string list = k.tagged ? std::string(tag) + " (good.bin) = " + g + "\n" + tag +
                                            " (bad.bin) = " + b +
                                            "\nMD5 (gone.bin) = " + Md5HexOf("x") + "\n"
                                      : g + "  good.bin\n" + b + " *bad.bin\n" + g + "  gone.bin\n";
    Put(k.list, list, 0);
    ::DeleteFileA((data_ + "out.txt").c_str());
    EXPECT_EQ(RunCorvana(exe_, "\"" + data_ + k.list + "\" OUTPUT:out.txt ERRORLEVEL", root_.path),
              1u);
    const std::vector<std::string> expected = {
        "Corvana v2.33",
        "good.bin: " + Upper(g) + ":  OK",
        "bad.bin: " + Upper(DigestHexOf(k.algorithm, bad)) + ":  FAILED.  CRC mismatch",
        "gone.bin: :   FAILED.  File does not exist",
        "3 files checked",
        "There was 1 bad file and 1 missing file",
    };
    EXPECT_EQ(Lines(GetFile(data_ + "out.txt")), expected);
    EXPECT_EQ(List(k.list), list);  // no database, every run hashes every file
  }
  // Every file verified: 0; a list that cannot be read: 2.
  Put("ok.sha256", DigestHexOf(DigestAlgorithm::Sha256, good) + "  good.bin\n", 0);
  EXPECT_EQ(RunCorvana(exe_, "\"" + data_ + "ok.sha256\" OUTPUT:o1.txt ERRORLEVEL", root_.path),
            0u);
  EXPECT_EQ(RunCorvana(exe_, "\"" + data_ + "ok.sha256\" OUTPUT:o2.txt ERRORLEVEL", root_.path),
            0u);
  Put("bad.ckz", "not a CKZ list", 0);
  EXPECT_EQ(RunCorvana(exe_, "\"" + data_ + "bad.ckz\" OUTPUT:o3.txt ERRORLEVEL", root_.path), 2u);
}

// A share of Wine's: "\\host\share" is the prefix's dosdevices\unc\host\share
// folder, so its files are real and would verify if they were opened.
class Share {
 public:
  Share(const std::string& host, const std::string& share) {
    char prefix[1024];
    const DWORD n = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (n == 0 || n >= sizeof prefix) return;
    std::string unix = prefix;
    for (char& c : unix)
      if (c == '/') c = '\\';
    std::string folder = "Z:" + unix + "\\dosdevices\\unc";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\" + host;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    local_ = folder + "\\" + share + "\\";
    ::CreateDirectoryA(local_.c_str(), nullptr);
    unc_ = "\\\\" + host + "\\" + share + "\\";
  }
  ~Share() {
    if (!local_.empty()) RemoveTestFolder(TestFolder{local_});
  }
  bool Ready() const {
    return !local_.empty() && FileThere(unc_ + "probe") == FileThere(local_ + "probe");
  }
  std::string Local(const std::string& name) const { return local_ + name; }
  std::string Unc(const std::string& name) const { return unc_ + name; }

 private:
  std::string local_, unc_;
};

TEST_F(Run, NamesOnOtherMachinesAndDevicesAreNeverOpened) {
  Share share("corvanahost", "share");
  Share other("corvanahost", "other");
  ASSERT_TRUE(share.Ready() && other.Ready()) << "no Wine prefix to put a share in";
  const std::string body = "on the share";
  PutFile(share.Local("x.txt"), body);
  PutFile(other.Local("x.txt"), body);
  ASSERT_EQ(GetFile(share.Unc("x.txt")), body);  // reachable, so a list could open it
  const std::string crc = Hex8(Crc32Of(body));
  const std::string sha = DigestHexOf(DigestAlgorithm::Sha256, body);
  const std::vector<std::string> names = {
      "\\\\corvanahost\\share\\x.txt",       "//corvanahost/share/x.txt",
      "\\/corvanahost/share\\x.txt",         "\\\\?\\UNC\\corvanahost\\share\\x.txt",
      "//?/UNC/corvanahost/share/x.txt",     "\\\\.\\UNC\\corvanahost\\share\\x.txt",
      "\\??\\UNC\\corvanahost\\share\\x.txt"};
  std::string sfv, sums;
  // A digest list's "/" is its folder separator and shows as "\\".
  std::vector<std::string> expected[2] = {{"Corvana v2.33"}, {"Corvana v2.33"}};
  for (const std::string& name : names) {
    sfv += name + " " + crc + "\r\n";
    sums += sha + "  " + name + "\n";
    std::string shown = name;
    for (char& c : shown)
      if (c == '/') c = '\\';
    expected[0].push_back(name + ": :   FAILED.  Network or device path not opened");
    expected[1].push_back(shown + ": :   FAILED.  Network or device path not opened");
  }
  for (std::vector<std::string>& lines : expected) {
    lines.push_back(std::to_string(names.size()) + " files checked");
    lines.push_back("There were " + std::to_string(names.size()) + " bad files");
  }
  for (int k = 0; k < 2; ++k) {
    const char* list = k == 0 ? "net.sfv" : "SHA256SUMS";
    SCOPED_TRACE(list);
    Put(list, k == 0 ? sfv : sums, 0);
    ::DeleteFileA((data_ + "out.txt").c_str());
    EXPECT_EQ(RunCorvana(exe_, "\"" + data_ + list + "\" OUTPUT:out.txt ERRORLEVEL NODBUPDATE",
                         root_.path),
              1u);
    EXPECT_EQ(Lines(GetFile(data_ + "out.txt")), expected[k]);
  }

  // The same lists on the share: its own names are opened, relative names
  // taken in its folder, another share's never.
  PutFile(share.Local("net.sfv"), "x.txt " + crc + "\r\n\\\\corvanahost\\share\\x.txt " + crc +
                                      "\r\n//CORVANAHOST/Share/x.txt " + crc +
                                      "\r\n\\\\corvanahost\\other\\x.txt " + crc + "\r\n");
  PutFile(share.Local("SHA256SUMS"),
          sha + "  x.txt\n" + sha + "  \\x.txt\n" + sha + "  //corvanahost/other/x.txt\n");
  EXPECT_EQ(
      RunCorvana(exe_, "\"" + share.Unc("net.sfv") + "\" OUTPUT:out.txt NODBUPDATE", root_.path),
      0u);
  EXPECT_EQ(Lines(GetFile(share.Local("out.txt"))),
            (std::vector<std::string>{"Corvana v2.33", "x.txt: " + crc + ":  OK",
                                      "\\\\corvanahost\\share\\x.txt: " + crc + ":  OK",
                                      "//CORVANAHOST/Share/x.txt: " + crc + ":  OK",
                                      "\\\\corvanahost\\other\\x.txt: :   FAILED.  Network or "
                                      "device path not opened",
                                      "4 files checked", "There was 1 bad file"}));
  ::DeleteFileA(share.Local("out.txt").c_str());
  EXPECT_EQ(RunCorvana(exe_, "\"" + share.Unc("SHA256SUMS") + "\" OUTPUT:out.txt", root_.path), 0u);
  EXPECT_EQ(
      Lines(GetFile(share.Local("out.txt"))),
      (std::vector<std::string>{
          "Corvana v2.33", "x.txt: " + Upper(sha) + ":  OK", "\\x.txt: " + Upper(sha) + ":  OK",
          "\\\\corvanahost\\other\\x.txt: :   FAILED.  Network or device path not opened",
          "3 files checked", "There was 1 bad file"}));
}

// Two different byte strings never open one file: a line that is not text
// of its list's encoding is an invalid line, nothing in its place.
TEST_F(Run, LinesThatAreNotTextNeverOpenAFile) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western ANSI code page";
  const std::string emoji = Put("\xF0\x9F\x98\x80.bin", "smile");
  const std::string replaced = Put("a\xEF\xBF\xBD", "replacement");
  const std::string thorn = Put("a\xC3\xBE", "thorn");
  const std::string yuml = Put("a\xC3\xBF", "y umlaut");
  const std::string cut = Put("a", "cut at the zero");
  const std::string bom = "\xEF\xBB\xBF";
  Put("marked.sfv",
      bom + "\xED\xA0\xBD\xED\xB8\x80.bin " + Hex8(Crc32Of(emoji)) + "\r\na\xFE " +
          Hex8(Crc32Of(replaced)) + "\r\na\xFF " + Hex8(Crc32Of(replaced)) + "\r\n" +
          std::string("a\0b ", 4) + Hex8(Crc32Of(cut)) + "\r\n\xF0\x9F\x98\x80.bin " +
          Hex8(Crc32Of(emoji)) + "\r\n",
      0);
  EXPECT_EQ(Verify("marked.sfv", "NODBUPDATE"),
            (std::vector<std::string>{
                "Corvana v2.33",
                "Invalid line in SFV file: \"\\xED\\xA0\\xBD\\xED\\xB8\\x80.bin " +
                    Hex8(Crc32Of(emoji)) + "\"",
                "Invalid line in SFV file: \"a\\xFE " + Hex8(Crc32Of(replaced)) + "\"",
                "Invalid line in SFV file: \"a\\xFF " + Hex8(Crc32Of(replaced)) + "\"",
                "Invalid line in SFV file: \"a\\x00b " + Hex8(Crc32Of(cut)) + "\"",
                "\xF0\x9F\x98\x80.bin: " + Hex8(Crc32Of(emoji)) + ":  OK", "1 file checked",
                "All files OK"}));
  // Unmarked and not UTF-8, the list is ANSI: two bytes, two files. A zero
  // byte inside a name is an invalid line there too, never a cut name.
  Put("ansi.sfv",
      "a\xFE " + Hex8(Crc32Of(thorn)) + "\r\na\xFF " + Hex8(Crc32Of(yuml)) + "\r\n" +
          std::string("a\0b ", 4) + Hex8(Crc32Of(cut)) + "\r\n",
      0);
  ::DeleteFileA((data_ + "out.txt").c_str());
  EXPECT_EQ(RunCorvana(exe_, "\"" + data_ + "ansi.sfv\" OUTPUT:out.txt NODBUPDATE ERRORLEVEL",
                       root_.path),
            1u);
  EXPECT_EQ(
      Lines(GetFile(data_ + "out.txt")),
      (std::vector<std::string>{"Corvana v2.33", "a\xFE: " + Hex8(Crc32Of(thorn)) + ":  OK",
                                "a\xFF: " + Hex8(Crc32Of(yuml)) + ":  OK",
                                "Invalid line in SFV file: \"a\\x00b " + Hex8(Crc32Of(cut)) + "\"",
                                "2 files checked", "All files OK"}));
}

TEST_F(Run, ReservedDeviceNamesNameFiles) {
  const std::string nul = Put("nul", "a file named nul", 0);
  const std::string con = Put("con.txt", "a file named con.txt", 0);
  ASSERT_EQ(GetFile(data_ + "nul"), nul);
  Put("devices.sfv",
      "nul " + Hex8(Crc32Of(nul)) + "\r\ncon.txt " + Hex8(Crc32Of(con)) + "\r\nCOM1 00000000\r\n",
      0);
  EXPECT_EQ(Verify("devices.sfv", "NODBUPDATE"),
            (std::vector<std::string>{"Corvana v2.33", "nul: " + Hex8(Crc32Of(nul)) + ":  OK",
                                      "con.txt: " + Hex8(Crc32Of(con)) + ":  OK",
                                      "COM1: :   FAILED.  File does not exist", "3 files checked",
                                      "There was 1 missing file"}));
}

// A digest tool reports a missing file missing; the older lists keep their
// renamed-name resolution.
TEST_F(Run, DigestListsFindNoLookAlikes) {
  const std::string setup = Put("setup (1).exe", "the installer");
  Put("SHA256SUMS", DigestHexOf(DigestAlgorithm::Sha256, setup) + "  setup.exe\n", 0);
  EXPECT_EQ(
      Verify("SHA256SUMS"),
      (std::vector<std::string>{"Corvana v2.33", "setup.exe: :   FAILED.  File does not exist",
                                "1 file checked", "There was 1 missing file"}));
  Put("setup.sfv", "setup.exe " + Hex8(Crc32Of(setup)) + "\r\n", 0);
  EXPECT_EQ(
      Verify("setup.sfv", "NODBUPDATE"),
      (std::vector<std::string>{"Corvana v2.33", "setup.exe: " + Hex8(Crc32Of(setup)) + ":  OK",
                                "1 file checked", "All files OK"}));
}

// The names and bodies of the side-by-side test: a thousand small files and
// four large ones among them.
std::string SmallName(int i) {
  std::string name = "s";
  name += std::to_string(i);
  name += ".bin";
  return name;
}
std::string SmallBody(int i) {
  std::string body(static_cast<size_t>(i % 97) * 41, static_cast<char>('a' + i % 26));
  body += std::to_string(i);
  return body;
}
std::string LargeName(int i) {
  std::string name = "L";
  name += std::to_string(i);
  name += ".bin";
  return name;
}
std::string LargeBody(int i) {
  return std::string((5u << 20) + static_cast<size_t>(i), 'L');
}

TEST_F(Run, FilesSideBySideGiveTheSameResultsFileAsOneAtATime) {
  std::string sfv, md5;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = SmallName(i), body = SmallBody(i);
    // Every 50th entry fails, every 70th is missing.
    sfv += name + " " + Hex8(i % 50 == 7 ? 1 : Crc32Of(body)) + "\r\n";
    md5 += (i % 50 == 7 ? Md5HexOf("no") : Md5HexOf(body)) + " *" + name + "\r\n";
    if (i % 250 == 0) {  // a few large files among the small ones
      const std::string big = LargeBody(i);
      sfv += LargeName(i) + " " + Hex8(Crc32Of(big)) + "\r\n";
      md5 += Md5HexOf(big) + "  " + LargeName(i) + "\r\n";
    }
  }
  for (const char* list : {"many.sfv", "many.md5"}) {
    SCOPED_TRACE(list);
    std::string results[2];
    for (int threads = 1; threads <= 2; ++threads) {
      std::string ini = "Threads=";
      ini += std::to_string(threads);
      ini += "\r\n";
      Install(ini);
      // Install() made a new folder: the files are written again.
      for (int i = 0; i < 1000; ++i) {
        if (i % 70 == 3) continue;
        Put(SmallName(i), SmallBody(i));
        if (i % 250 == 0) Put(LargeName(i), LargeBody(i));
      }
      Put(list, std::string(list) == "many.sfv" ? sfv : md5, 0);
      // A file that cannot be read among the files hashed at once.
      UniqueFileHandle held(CreateFileUtf8((data_ + SmallName(10)).c_str(), GENERIC_READ, 0,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
      ASSERT_TRUE(held);
      Verify(list, "NODBUPDATE");
      results[threads - 1] = GetFile(data_ + "out.txt");
    }
    EXPECT_EQ(results[0], results[1]);
    const auto lines = Lines(results[1]);
    ASSERT_GT(lines.size(), 1000u);
    EXPECT_NE(results[1].find("\r\ns10.bin: :   FAILED.  Error reading file\r\n"),
              std::string::npos);
    EXPECT_EQ(lines.back().rfind("There were 21 bad files and ", 0), 0u) << lines.back();
  }
}
