// Format detection by extension and content, in the verifier and in the shell
// extension, the counting pass and the positioning at the first entry.
#include "formats/list_detection.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "formats/line_reader.h"
#include "list_files.h"

namespace {

using listtest::RunListText;
using listtest::WriteTemp;

TEST(ClassifyListPath, ExtensionsInTheVerifier) {
  struct Case {
    const char* Path;
    ListFormat Format;
  };
  for (const Case& c : std::initializer_list<Case>{{"disc.sfv", ListFormat::Sfv},
                                                   {"C:\\lists\\DISC.TXT", ListFormat::Sfv},
                                                   {"no extension", ListFormat::Sfv},
                                                   {"list.sfv.bak", ListFormat::Sfv},
                                                   {"ab", ListFormat::Sfv},
                                                   {"x.MD5", ListFormat::Md5},
                                                   {".md5", ListFormat::Md5},
                                                   {"x.Ckz", ListFormat::Ckz},
                                                   {"x.csv", ListFormat::Csv},
                                                   {"x.PaR", ListFormat::Par},
                                                   {"x.crc", ListFormat::BinaryCrc},
                                                   {"dir.md5\\list.crc", ListFormat::BinaryCrc},
                                                   {"x.sha1", ListFormat::DigestList},
                                                   {"X.SHA256", ListFormat::DigestList},
                                                   {"x.Sha512", ListFormat::DigestList},
                                                   {"x.b3", ListFormat::DigestList},
                                                   {".b3", ListFormat::DigestList},
                                                   {"x.blake3", ListFormat::DigestList},
                                                   {"C:\\d\\SHA256SUMS", ListFormat::DigestList},
                                                   {"sha1sums.txt", ListFormat::DigestList},
                                                   {"B3SUMS", ListFormat::DigestList},
                                                   {"SHA512SUMS.asc.txt", ListFormat::DigestList},
                                                   {"MD5SUMS", ListFormat::Md5},
                                                   {"md5sums.txt", ListFormat::Md5},
                                                   {"SHA256SUMS.sfv", ListFormat::Sfv},
                                                   {"SHA256SUMS.crc", ListFormat::BinaryCrc},
                                                   {"SHA256SUMSX", ListFormat::Sfv},
                                                   {"xSHA256SUMS", ListFormat::Sfv},
                                                   {"x.sha2560", ListFormat::Sfv},
                                                   {"x.sha256.bak", ListFormat::Sfv},
                                                   {"SHA256SUMS\\list.sfv", ListFormat::Sfv},
                                                   {"x.xxh32", ListFormat::DigestList},
                                                   {"x.XXH64", ListFormat::DigestList},
                                                   {"x.xxh3", ListFormat::DigestList},
                                                   {"x.Xxh128", ListFormat::DigestList},
                                                   {"x.xxh", ListFormat::DigestList},
                                                   {"x.xxh3.bak", ListFormat::Sfv},
                                                   {"x.xxh4", ListFormat::Sfv}}) {
    ListFormat f = ListFormat::Par;
    EXPECT_TRUE(ClassifyListPath(ListHost::Verifier, c.Path, &f)) << c.Path;
    EXPECT_EQ(f, c.Format) << c.Path;
  }
}

TEST(ClassifyListPath, ShellExtensionTakesOnlyTheSixListExtensions) {
  ListFormat f;
  for (const char* notList : {"readme.txt", "no extension", ".sfv", "sfv", "a.sfv.txt"})
    EXPECT_FALSE(ClassifyListPath(ListHost::ShellExtension, notList, &f)) << notList;
  for (const char* list : {"a.SFV", "a.crc", "a.ckz", "a.csv", "a.par", "a.md5"})
    EXPECT_TRUE(ClassifyListPath(ListHost::ShellExtension, list, &f)) << list;
  // The digest tools' lists are lists there too, but not a bare extension.
  for (const char* list : {"a.sha1", "a.SHA256", "a.sha512", "a.b3", "a.blake3", "SHA256SUMS",
                           "B3SUMS", "SHA1SUMS.txt", "MD5SUMS"})
    EXPECT_TRUE(ClassifyListPath(ListHost::ShellExtension, list, &f)) << list;
  for (const char* notList : {".b3", "C:\\d\\.sha256", "d/.sha1", "x.sha256.txt"})
    EXPECT_FALSE(ClassifyListPath(ListHost::ShellExtension, notList, &f)) << notList;
  EXPECT_FALSE(
      listtest::RunList(WriteTemp("detect.txt", "a 1\n"), ListHost::ShellExtension).IsList);
}

ListFormat Detected(const std::string& leaf, const std::string& bytes,
                    ListHost host = ListHost::Verifier) {
  return RunListText(leaf, bytes, host).Format;
}

TEST(DetectListFormat, CrcListsByTheirContent) {
  EXPECT_EQ(Detected("detect.CRC", "by JPEG ... SHERIFF\n---- ---- ---- ----\n"),
            ListFormat::SheriffCrc);
  // One of the two words only: the "CRC Values for " test decides.
  EXPECT_EQ(Detected("detect.crc", "jpeg\ncrc values for x\na 1\n"), ListFormat::TextCrc);
  EXPECT_EQ(Detected("detect.crc", "Sheriff\nCRC Values for x\na 1\n"), ListFormat::TextCrc);
  EXPECT_EQ(Detected("detect.crc", "Sheriff\nCRC Values for\n"), ListFormat::BinaryCrc);
  EXPECT_EQ(Detected("detect.crc", ""), ListFormat::BinaryCrc);
  // The verifier samples 32 KiB, the shell extension 512 bytes, and the shell
  // extension knows no "CRC Values for " lists.
  const std::string late = std::string(600, ' ') + "jpeg Sheriff";
  EXPECT_EQ(Detected("detect.crc", late), ListFormat::SheriffCrc);
  EXPECT_EQ(Detected("detect.crc", late, ListHost::ShellExtension), ListFormat::BinaryCrc);
  EXPECT_EQ(Detected("detect.crc", std::string(32768 - 12, ' ') + "jpeg Sheriff"),
            ListFormat::SheriffCrc);
  EXPECT_EQ(Detected("detect.crc", std::string(32768 - 11, ' ') + "jpeg Sheriff"),
            ListFormat::BinaryCrc);
  EXPECT_EQ(Detected("detect.crc", "CRC Values for x\na 1\n", ListHost::ShellExtension),
            ListFormat::BinaryCrc);
}

TEST(DetectListFormat, DigestListsByTheirContentOnly) {
  const std::string sha256 = std::string(64, 'a') + "  name\n";
  const std::string md5 = std::string(32, 'a') + " *name\n";
  const std::string tagged = "SHA1 (x) = " + std::string(40, '0') + "\n";
  struct Case {
    const char* Leaf;
    std::string Bytes;
    ListFormat Format;
  };
  const std::vector<Case> cases = {
      {"content.txt", sha256 + sha256 + sha256 + "junk\n", ListFormat::DigestList},
      {"content", "# made by hand\n\n" + md5, ListFormat::DigestList},
      {"content.lst", tagged + sha256, ListFormat::DigestList},
      {"content.txt", "\\" + sha256, ListFormat::DigestList},
      // A name of ".sfv" is never looked into.
      {"content.sfv", sha256, ListFormat::Sfv},
      // Anything else among the first three lines keeps the list an SFV one.
      {"content.txt", sha256 + sha256 + "name 1234ABCD\n", ListFormat::Sfv},
      {"content.txt", "; header\n" + sha256, ListFormat::Sfv},
      {"content.txt", "name 1234ABCD\n" + sha256, ListFormat::Sfv},
      {"content.txt", sha256 + md5, ListFormat::Sfv},  // untagged lengths disagree
      {"content.txt", std::string(63, 'a') + "  name\n", ListFormat::Sfv},
      // 8 and 16 digits are XXH32 and XXH64, as xxhsum -c takes them.
      {"content.txt", std::string(8, 'a') + "  name\n", ListFormat::DigestList},
      {"content.txt", std::string(16, 'a') + "  name\n", ListFormat::DigestList},
      {"content.txt", "XXH3_" + std::string(16, 'a') + "  name\n", ListFormat::DigestList},
      {"content.txt", "XXH128 (x) = " + std::string(32, 'a') + "\n" + tagged,
       ListFormat::DigestList},
      {"content.txt", std::string(7, 'a') + "  name\n", ListFormat::Sfv},
      {"content.txt", "XXH3_" + std::string(15, 'a') + "  name\n", ListFormat::Sfv},
      {"content.txt", std::string(64, 'a') + " name\n", ListFormat::Sfv},
      {"content.txt", "# only\n# comments\n", ListFormat::Sfv},
      {"content.txt", "", ListFormat::Sfv},
      // A ".md5" list stays one while the Md5 reader can read its lines; one
      // of other digests is read (and its lines reported) as a digest list.
      {"content.md5", md5, ListFormat::Md5},
      {"content.md5", "# comment\n" + md5, ListFormat::Md5},
      {"content.md5", "junk\n" + md5, ListFormat::Md5},
      {"content.md5", sha256, ListFormat::DigestList},
      {"content.md5", "MD5 (x) = " + std::string(32, 'f') + "\n", ListFormat::DigestList},
      {"content.md5", "\\" + md5, ListFormat::DigestList},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Detected(c.Leaf, c.Bytes), c.Format) << c.Leaf << ": " << c.Bytes;
  // The shell extension takes no ".txt" list, whatever it holds.
  EXPECT_FALSE(
      listtest::RunList(WriteTemp("content.txt", sha256), ListHost::ShellExtension).IsList);
}

TEST(DetectListFormat, LeavesTheFileAtTheFirstEntry) {
  struct Case {
    const char* Leaf;
    std::string Bytes;
    const char* FirstName;
  };
  const std::vector<Case> cases = {
      {"first.crc", "CRC Values for x\r\nfirst 1\r\n", "first"},
      {"first.crc", "JPEG Sheriff\r\nname size\r\n---- ---- ---- ----\r\nfirst     12  x 1\r\n",
       "first"},
      {"first.crc", std::string(128, 'H') + "first" + std::string(44, '\0'), "first"},
      {"first.sfv", "first 1\r\n", "first"},
      {"first.txt", "# c\r\n" + std::string(40, '0') + "  first\r\n", "first"},
      {"first.md5", "MD5 (first) = " + std::string(32, '0') + "\r\n", "first"},
  };
  for (const Case& c : cases) {
    const std::string path = WriteTemp(c.Leaf, c.Bytes);
    UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
    const auto reader = std::make_unique<ListReader>();  // large: not on the stack
    InitListReader(reader.get(), ListHost::Verifier, nullptr, nullptr);
    ASSERT_TRUE(DetectListFormat(reader.get(), path.c_str(), file.Get()));
    ListEntry entry;
    ASSERT_GT(ReadListEntry(reader.get(), file.Get(), &entry), 0) << c.Leaf;
    EXPECT_STREQ(entry.FileName, c.FirstName);
  }
}

void TakeStatus(void* context, uint32_t k, uint64_t status) {
  static_cast<std::vector<std::pair<uint32_t, uint64_t>>*>(context)->push_back({k, status});
}

TEST(CountListEntries, CountsFromTheDetectedStartAndReturnsToTheBeginning) {
  const std::string path = WriteTemp("count.sfv", "; header\r\na 1\r\nbad\r\nb 2\r\n\r\nc 3\r\n");
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  const auto reader = std::make_unique<ListReader>();
  std::vector<std::string> reports;
  InitListReader(reader.get(), ListHost::Verifier, listtest::CollectReport, &reports);
  ASSERT_TRUE(DetectListFormat(reader.get(), path.c_str(), file.Get()));
  EXPECT_EQ(CountListEntries(reader.get(), file.Get()), 3);
  EXPECT_TRUE(reports.empty());  // reported by the reading pass only
  EXPECT_EQ(GetFilePosition(file.Get()), 0u);

  const auto run = RunListText("count.ckz", "a|b|1|2\r\n");
  EXPECT_TRUE(run.Invalid);
  EXPECT_EQ(run.Count, -1);
}

TEST(CountListEntries, HandsEveryParStatusOver) {
  // A sealed index with two entries of statuses 1 and 3.
  const std::string par =
      listtest::MakePar({{listtest::Utf16(u"n"), 1, 0, '\0'}, {listtest::Utf16(u"n"), 3, 0, '\0'}});
  const std::string path = WriteTemp("count.par", par);
  UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
  const auto reader = std::make_unique<ListReader>();
  InitListReader(reader.get(), ListHost::Verifier, nullptr, nullptr);
  ASSERT_TRUE(DetectListFormat(reader.get(), path.c_str(), file.Get()));
  std::vector<std::pair<uint32_t, uint64_t>> statuses;
  EXPECT_EQ(CountListEntries(reader.get(), file.Get(), TakeStatus, &statuses), 2);
  EXPECT_EQ(statuses, (std::vector<std::pair<uint32_t, uint64_t>>{{0, 1}, {1, 3}}));
}

}  // namespace

namespace {

// The previously-verified database goes only into an SFV or PAR list with a
// sound entry: never into a digest tool's list, a list of lines no reader
// takes, one without entries, or a signed one.
TEST(ListMayKeepDatabase, OnlyListsThisProgramReadsAsItsOwn) {
  const std::string x128 = "XXH128 (a.bin) = " + std::string(32, 'c') + "\n";
  const struct {
    const char* Leaf;
    std::string Bytes;
    bool Keeps;
  } cases[] = {
      {"db.sfv", "a.bin 1234ABCD\n", true},
      {"db.txt", "; comment\na.bin 0x1a2b\n", true},
      {"db.sfv", "junk line\na b 0A1B2C3D\n", true},
      {"db.txt", x128 + x128, false},  // xxhsum's tagged lines: a digest list
      {"db.txt", "SHA3-256 (a.bin) = " + std::string(64, 'd') + "\n", false},
      {"db.txt", "hello world\nthe end\n", false},
      {"db.sfv", "a.bin 123456789\n", false},
      {"db.sfv", "a.bin 1234ABCG\n", false},
      {"db.sfv", "; only a comment\n", false},
      {"db.sfv", "", false},
      {"db.md5", std::string(32, 'a') + " *a.bin\n", false},
      {"db.sfv",
       "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\na.bin 1234ABCD\n"
       "-----BEGIN PGP SIGNATURE-----\nxx\n-----END PGP SIGNATURE-----\n",
       false},
  };
  for (const auto& c : cases) {
    const listtest::ListRun run = RunListText(c.Leaf, c.Bytes);
    EXPECT_EQ(run.MayKeepDatabase, c.Keeps) << c.Leaf << ": " << c.Bytes;
  }
}

// A clearsigned list is read as its signed text in its own format: the
// armor and "Hash:" lines are no entries, dash-escaped lines are unescaped,
// and every line behind the signature is reported, never an entry.
TEST(Clearsigned, OnlyTheSignedTextIsRead) {
  const std::string head = "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n\r\n";
  const std::string sig =
      "-----BEGIN PGP SIGNATURE-----\r\n\r\niQEzBAEBCAAdFiEE\r\n=abcd\r\n"
      "-----END PGP SIGNATURE-----\r\n";
  const std::string sha = std::string(64, 'e');
  struct Case {
    const char* Leaf;
    std::string Bytes;
    ListFormat Format;
    std::vector<std::string> Names;
    std::vector<std::string> Reports;
  };
  const std::vector<Case> cases = {
      {"CHECKSUM",
       head + "# comment\nSHA256 (a.iso) = " + sha + "\n" + sig,
       ListFormat::DigestList,
       {"a.iso"},
       {}},
      {"signed.sha256",
       head + sha + "  a.iso\n" + sha + "  - dashed\n" + sig,
       ListFormat::DigestList,
       {"a.iso", "- dashed"},
       {}},
      // gpg escapes a line that starts with "-": "- -name".
      {"signed.sfv",
       head + "- -dash.bin 1234ABCD\nb.bin 0000FFFF\n" + sig,
       ListFormat::Sfv,
       {"-dash.bin", "b.bin"},
       {}},
      {"signed.md5",
       head + std::string(32, 'a') + " *m.bin\n" + sig,
       ListFormat::Md5,
       {"m.bin"},
       {}},
      {"signed.xxh128",
       head + std::string(32, 'b') + "  x.bin\n" + sig + std::string(32, 'c') + "  added.bin\n",
       ListFormat::DigestList,
       {"x.bin"},
       {"Line outside the signed text: " + std::string(32, 'c') + "  added.bin"}},
      {"signed.csv",
       head + "c.bin,3,1A2B3C4D\n" + sig + "\nlate 1\n",
       ListFormat::Csv,
       {"c.bin"},
       {"Line outside the signed text: late 1"}},
      // No signature block: the text runs to the end.
      {"unsigned.sfv", head + "u.bin 00000001\n", ListFormat::Sfv, {"u.bin"}, {}},
      // The armor line must be the first line.
      {"late.sfv",
       "x.bin 00000002\n-----BEGIN PGP SIGNED MESSAGE-----\n",
       ListFormat::Sfv,
       {"x.bin", "-----BEGIN PGP SIGNED"},
       {}},
  };
  for (const Case& c : cases) {
    const listtest::ListRun run = RunListText(c.Leaf, c.Bytes);
    EXPECT_EQ(run.Format, c.Format) << c.Leaf;
    std::vector<std::string> names;
    for (const auto& e : run.Entries) names.push_back(e.Name);
    EXPECT_EQ(names, c.Names) << c.Leaf;
    EXPECT_EQ(run.Count, static_cast<int64_t>(c.Names.size())) << c.Leaf;
    std::vector<std::string> reports;
    for (const std::string& r : run.Reports)
      if (r.rfind("Invalid line", 0) != 0) reports.push_back(r);
    EXPECT_EQ(reports, c.Reports) << c.Leaf;
    // Only the list that is not signed after all is one to keep a database.
    const bool late = std::string(c.Leaf) == "late.sfv";
    EXPECT_EQ(run.Signed, !late) << c.Leaf;
    EXPECT_EQ(run.MayKeepDatabase, late) << c.Leaf;
  }
  // The shell extension skips the lines behind the signature silently.
  const listtest::ListRun shell =
      RunListText("shell.sha256", head + sha + "  a.iso\n" + sig + sha + "  added.iso\n",
                  ListHost::ShellExtension);
  ASSERT_EQ(shell.Entries.size(), 1u);
  EXPECT_EQ(shell.Entries[0].Name, "a.iso");
  EXPECT_TRUE(shell.Reports.empty());
}

}  // namespace
