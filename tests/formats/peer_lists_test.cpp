// Lists written by other programs of the field (cksfv, rhash, md5sum,
// parchive), made at run time from files this test creates, read back entry
// for entry with checksums computed here. A PAR index rewritten by
// RewriteParStatus must still be accepted by parchive. Runs natively only;
// a missing peer skips its test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "formats/par_list.h"
#include "hashing/crc32.h"
#include "list_files.h"

namespace {

using listtest::RunList;

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

#define NEED(tool) \
  if (!Have(tool)) GTEST_SKIP() << tool << " is not installed"

struct Expected {
  uint64_t Size;
  uint32_t Crc;
  std::string Md5;
};

class PeerLists : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(::testing::TempDir() + "corvana_peers_" + std::to_string(getpid()));
    mkdir(folder_->c_str(), 0700);
    files_ = new std::map<std::string, Expected>;
    std::string big;
    uint32_t x = 12345;
    for (int i = 0; i < 100000; ++i) big += static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    Add("a file.txt", "hello world\n");
    Add("b.bin", std::string("\0\1\2\3\xff binary\r\n", 14));
    Add("name with  two spaces.dat", "spaces");
    Add("empty.dat", "");
    Add("big.bin", big);
  }
  static void TearDownTestSuite() {
    std::system(("rm -rf '" + *folder_ + "'").c_str());
    delete folder_;
    delete files_;
  }

  static void Add(const std::string& name, const std::string& bytes) {
    listtest::WriteFileAt(*folder_ + "/" + name, bytes);
    Expected e;
    e.Size = bytes.size();
    e.Crc = ~UpdateCRC32(0xFFFFFFFF, bytes.data(), static_cast<uint32_t>(bytes.size()));
    const std::string digest = listtest::Md5Of(bytes);
    e.Md5 = listtest::Hex(reinterpret_cast<const unsigned char*>(digest.data()), 16);
    (*files_)[name] = e;
  }

  // Runs `command` in the folder with the names of every file as arguments
  // and its output in `list`; returns the list's path.
  static std::string Make(const std::string& command, const std::string& list) {
    std::string names;
    for (const auto& [name, e] : *files_) names += " '" + name + "'";
    const std::string line =
        "cd '" + *folder_ + "' && " + command + names + " > '" + list + "' 2>/dev/null";
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    return *folder_ + "/" + list;
  }

  // Every file once, with its CRC (CRC lists) or MD5 (MD5 and PAR lists).
  static void ExpectAllFiles(const listtest::ListRun& run, bool md5) {
    EXPECT_TRUE(run.Reports.empty());
    EXPECT_EQ(run.Count, static_cast<int64_t>(files_->size()));
    ASSERT_EQ(run.Entries.size(), files_->size());
    std::vector<std::string> seen;
    for (const auto& entry : run.Entries) {
      const auto it = files_->find(entry.Name);
      ASSERT_NE(it, files_->end()) << "unexpected name \"" << entry.Name << '"';
      seen.push_back(entry.Name);
      if (md5) {
        EXPECT_EQ(entry.Md5, it->second.Md5) << entry.Name;
      } else {
        EXPECT_EQ(entry.Crc, it->second.Crc) << entry.Name;
      }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
  }

  static std::string* folder_;
  static std::map<std::string, Expected>* files_;
};
std::string* PeerLists::folder_;
std::map<std::string, Expected>* PeerLists::files_;

TEST_F(PeerLists, SfvFromCksfvAndRhashWithTheirHeaderComments) {
  NEED("cksfv");
  NEED("rhash");
  for (const char* command : {"cksfv", "rhash --sfv"}) {
    const std::string path = Make(command, "peer.sfv");
    const std::string text = listtest::ReadWhole(path);
    EXPECT_EQ(text.rfind(";", 0), 0u) << command << " wrote no header comment";
    const auto run = RunList(path);
    EXPECT_EQ(run.Format, ListFormat::Sfv);
    ExpectAllFiles(run, false);
    for (const auto& e : run.Entries) EXPECT_EQ(e.Size, UnknownSize);
  }
}

TEST_F(PeerLists, Md5FromMd5sumAndRhashWithAndWithoutTheBinaryMarker) {
  NEED("md5sum");
  NEED("rhash");
  for (const char* command : {"md5sum", "md5sum -b", "rhash --md5"}) {
    const std::string path = Make(command, "peer.md5");
    if (std::string(command) == "md5sum -b") {
      EXPECT_NE(listtest::ReadWhole(path).find(" *b.bin"), std::string::npos);
    }
    const auto run = RunList(path);
    EXPECT_EQ(run.Format, ListFormat::Md5);
    ExpectAllFiles(run, true);
  }
}

TEST_F(PeerLists, ParIndexFromParchive) {
  NEED("parchive");
  std::system(("cd '" + *folder_ + "' && rm -f peer.par peer.p0*").c_str());
  Make("parchive a -n 1 peer.par", "parchive.out");
  const std::string path = *folder_ + "/peer.par";
  const auto run = RunList(path);
  EXPECT_EQ(run.Format, ListFormat::Par);
  EXPECT_FALSE(run.Invalid);
  ExpectAllFiles(run, true);
  for (const auto& e : run.Entries) EXPECT_EQ(e.Size, (*files_)[e.Name].Size) << e.Name;
  // The shell extension accepts it too.
  EXPECT_EQ(RunList(path, ListHost::ShellExtension).Count, static_cast<int64_t>(files_->size()));
}

bool Alternate(void*, uint32_t k) {
  return k % 2 == 1;
}
bool All(void*, uint32_t) {
  return true;
}

TEST_F(PeerLists, RewrittenParIndexStillPassesParchiveAndItsControlHash) {
  NEED("parchive");
  std::system(("cd '" + *folder_ + "' && rm -f rewritten.par rewritten.p0*").c_str());
  Make("parchive a -n 1 rewritten.par", "parchive.out");
  const std::string path = *folder_ + "/rewritten.par";
  const std::string check = "cd '" + *folder_ + "' && parchive c rewritten.par >/dev/null 2>&1";
  ASSERT_EQ(std::system(check.c_str()), 0);
  const std::string original = listtest::ReadWhole(path);
  const uint64_t listOffset =
      ReadLe64(reinterpret_cast<const unsigned char*>(original.data()) + 64);

  for (ParDecision decide : {Alternate, All}) {
    ASSERT_TRUE(RewriteParStatus(path.c_str(), listOffset, decide, nullptr));
    EXPECT_EQ(std::system(check.c_str()), 0) << "parchive rejects the rewritten index";
    const auto run = RunList(path);
    EXPECT_FALSE(run.Invalid);
    ExpectAllFiles(run, true);
    for (size_t k = 0; k < run.Entries.size(); ++k)
      EXPECT_EQ((run.Entries[k].ParStatus & kParVerifiedBit) != 0,
                decide(nullptr, static_cast<uint32_t>(k)));
  }

  // Any other byte changed from offset 32 on makes the rewritten file invalid.
  // The untouched copy, written where the changed ones go, is read in full:
  // each rejection below is down to its changed byte.
  const std::string rewritten = listtest::ReadWhole(path);
  const std::string copy = listtest::WriteTemp("corvana_peer_bad.par", rewritten);
  const auto untouched = RunList(copy);
  EXPECT_FALSE(untouched.Invalid);
  ExpectAllFiles(untouched, true);
  for (size_t i = 32; i < rewritten.size(); ++i) {
    std::string bad = rewritten;
    bad[i] = static_cast<char>(bad[i] ^ 0x10);
    const auto run = RunList(listtest::WriteTemp("corvana_peer_bad.par", bad));
    EXPECT_TRUE(run.Invalid) << "byte " << i;
  }
}

}  // namespace
