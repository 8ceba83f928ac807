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

// Runs `command` (in `folder`) and returns what it printed.
std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char chunk[512];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, got);
  pclose(pipe);
  return out;
}

// The digest tools' lists, written by the tools themselves, in their
// untagged, tagged and OpenSSL forms, with names that need escaping and
// names in a subfolder. The expected digests come from a second peer run on
// each file alone (OpenSSL for the SHA and MD5 digests, b3sum without names
// for BLAKE3).
class DigestPeerLists : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ =
        new std::string(::testing::TempDir() + "corvana_digest_peers_" + std::to_string(getpid()));
    mkdir(folder_->c_str(), 0700);
    mkdir((*folder_ + "/sub dir").c_str(), 0700);
    names_ = new std::vector<std::string>{"a file.txt", "back\\slash",       "new\nline",
                                          "a) = b",     "sub dir/inner.bin", "empty"};
    const char* contents[] = {"hello world\n", "b", "c", "d", "\x01\x02\xff", ""};
    for (size_t i = 0; i < names_->size(); ++i)
      listtest::WriteFileAt(*folder_ + "/" + (*names_)[i], contents[i]);
  }
  static void TearDownTestSuite() {
    std::system(("rm -rf '" + *folder_ + "'").c_str());
    delete folder_;
    delete names_;
  }

  // The expected lower-case hex digest of `name` by `algorithm`.
  static std::string Expected(DigestAlgorithm algorithm, const std::string& name) {
    const std::string file = "'" + *folder_ + "/" + name + "'";
    std::string command;
    switch (algorithm) {
      case DigestAlgorithm::Md5:
        command = "openssl dgst -md5 -r < " + file;
        break;
      case DigestAlgorithm::Sha1:
        command = "openssl dgst -sha1 -r < " + file;
        break;
      case DigestAlgorithm::Sha256:
        command = "openssl dgst -sha256 -r < " + file;
        break;
      case DigestAlgorithm::Sha512:
        command = "openssl dgst -sha512 -r < " + file;
        break;
      case DigestAlgorithm::Blake3:
        command = "b3sum --no-names " + file;
        break;
      case DigestAlgorithm::Xxh32:
        command = "xxhsum -H0 < " + file;
        break;
      case DigestAlgorithm::Xxh64:
        command = "xxhsum -H1 < " + file;
        break;
      case DigestAlgorithm::Xxh3:
        command = "xxhsum -H3 < " + file + " | sed 's/.* = //'";
        break;
      case DigestAlgorithm::Xxh128:
        command = "xxhsum -H2 < " + file;
        break;
      case DigestAlgorithm::Crc32:
        break;
    }
    return Capture(command).substr(0, 2 * static_cast<size_t>(DigestBytes(algorithm)));
  }

  // Writes the list `leaf` with `command` over every name (the names with a
  // line break left out when `plainNames`) and reads it back.
  static listtest::ListRun Make(const std::string& command, const std::string& leaf,
                                bool plainNames = false) {
    std::string args;
    for (const std::string& n : *names_) {
      if (plainNames && (n.find('\n') != std::string::npos)) continue;
      args += " '" + n + "'";
    }
    const std::string line = "cd '" + *folder_ + "' && " + command + args + " > '" + leaf + "'";
    EXPECT_EQ(std::system(line.c_str()), 0) << line;
    return RunList(*folder_ + "/" + leaf);
  }

  // Every name once, "/" turned into "\", with its digest by `algorithm`.
  static void ExpectAll(const listtest::ListRun& run, DigestAlgorithm algorithm,
                        const std::string& what, bool plainNames = false) {
    EXPECT_EQ(run.Format, ListFormat::DigestList) << what;
    EXPECT_TRUE(run.Reports.empty()) << what << ": " << run.Reports.front();
    std::vector<std::string> want, got;
    for (const std::string& n : *names_) {
      if (plainNames && n.find('\n') != std::string::npos) continue;
      std::string windows = n;
      std::replace(windows.begin(), windows.end(), '/', '\\');
      want.push_back(windows + " " + Expected(algorithm, n));
    }
    for (const auto& e : run.Entries) {
      EXPECT_EQ(e.Algorithm, algorithm) << what << ' ' << e.Name;
      EXPECT_EQ(e.Size, UnknownSize);
      got.push_back(e.Name + " " + e.Digest);
    }
    EXPECT_EQ(got, want) << what;
    EXPECT_EQ(run.Count, static_cast<int64_t>(want.size())) << what;
  }

  static std::string* folder_;
  static std::vector<std::string>* names_;
};
std::string* DigestPeerLists::folder_;
std::vector<std::string>* DigestPeerLists::names_;

TEST_F(DigestPeerLists, CoreutilsUntaggedAndTaggedWithEscapedNames) {
  NEED("openssl");
  using A = DigestAlgorithm;
  const struct {
    const char* Tool;
    const char* Leaf;
    A Algorithm;
  } tools[] = {{"sha1sum", "list.sha1", A::Sha1},
               {"sha256sum", "SHA256SUMS", A::Sha256},
               {"sha512sum", "list.SHA512", A::Sha512},
               {"sha256sum -b", "list.sha256", A::Sha256}};
  for (const auto& t : tools) {
    NEED("sha256sum");
    ExpectAll(Make(t.Tool, t.Leaf), t.Algorithm, t.Tool);
    // The tagged form of the same tool, read by its tag from a list of any
    // name; and the untagged form, found by its content alone.
    ExpectAll(Make(std::string(t.Tool) + " --tag", "tagged.txt"), t.Algorithm, t.Tool);
    ExpectAll(Make(t.Tool, "untagged.lst"), t.Algorithm, t.Tool);
  }
  // md5sum's tagged form in an ".md5" list and in "MD5SUMS".
  ExpectAll(Make("md5sum --tag", "tagged.md5"), A::Md5, "md5sum --tag");
  ExpectAll(Make("md5sum --tag", "MD5SUMS"), A::Md5, "md5sum --tag");
  // One list of several tools' tagged lines.
  const std::string mixed = *folder_ + "/mixed.txt";
  const std::string line = "cd '" + *folder_ + "' && { md5sum --tag 'a file.txt'; sha1sum --tag " +
                           "'a) = b'; sha512sum --tag empty; } > mixed.txt";
  ASSERT_EQ(std::system(line.c_str()), 0);
  const auto run = RunList(mixed);
  EXPECT_TRUE(run.Reports.empty());
  ASSERT_EQ(run.Entries.size(), 3u);
  EXPECT_EQ(run.Entries[0].Digest, Expected(A::Md5, "a file.txt"));
  EXPECT_EQ(run.Entries[1].Digest, Expected(A::Sha1, "a) = b"));
  EXPECT_EQ(run.Entries[2].Digest, Expected(A::Sha512, "empty"));
}

TEST_F(DigestPeerLists, B3sumByNameOnly) {
  NEED("b3sum");
  for (const char* leaf : {"list.b3", "list.BLAKE3", "B3SUMS"})
    ExpectAll(Make("b3sum", leaf), DigestAlgorithm::Blake3, leaf);
  // Its untagged lines look like SHA-256 ones: a list of another name is
  // taken for SHA-256.
  const auto run = Make("b3sum", "b3.txt");
  EXPECT_EQ(run.Format, ListFormat::DigestList);
  for (const auto& e : run.Entries) EXPECT_EQ(e.Algorithm, DigestAlgorithm::Sha256);
}

// xxhsum's lists in every form it writes: untagged by its extension or by
// the digest's length, tagged (XXH3 is tagged even without --tag), and the
// "XXH3_" untagged lines of later versions (made here from the tagged ones).
// xxhsum 0.8.1 escapes nothing, so names with a line break are left out.
TEST_F(DigestPeerLists, XxhsumEveryForm) {
  NEED("xxhsum");
  using A = DigestAlgorithm;
  const std::string xxh3Untagged =
      "u() { xxhsum -H3 \"$@\" | sed -E 's/^XXH3 \\((.*)\\) = ([0-9a-f]{16})$/XXH3_\\2  \\1/'; }; "
      "u";
  const struct {
    std::string Command;
    const char* Leaf;
    A Algorithm;
  } forms[] = {
      {"xxhsum -H0", "list.xxh32", A::Xxh32},   {"xxhsum -H1", "list.XXH64", A::Xxh64},
      {"xxhsum -H2", "list.xxh128", A::Xxh128}, {"xxhsum -H3", "list.xxh3", A::Xxh3},
      {"xxhsum -H0", "list.xxh", A::Xxh32},     {"xxhsum -H1", "list.xxh", A::Xxh64},
      {"xxhsum -H2", "list.xxh", A::Xxh128},    {"xxhsum -H3", "list.xxh", A::Xxh3},
      {"xxhsum -H0", "xxh32.txt", A::Xxh32},    {"xxhsum -H1", "XXH64SUMS", A::Xxh64},
      {"xxhsum --tag -H0", "t.txt", A::Xxh32},  {"xxhsum --tag -H1", "t.lst", A::Xxh64},
      {"xxhsum --tag -H2", "t.txt", A::Xxh128}, {"xxhsum --tag -H3", "t", A::Xxh3},
      {"xxhsum --tag -H2", "t.md5", A::Xxh128}, {xxh3Untagged, "u.xxh3", A::Xxh3},
      {xxh3Untagged, "u.txt", A::Xxh3},
  };
  for (const auto& f : forms)
    ExpectAll(Make(f.Command, f.Leaf, true), f.Algorithm, f.Command + " " + f.Leaf, true);
  // 32 digits in a list of any other name stay MD5, as they always were.
  const auto md5 = Make("xxhsum -H2", "x128.txt", true);
  ASSERT_FALSE(md5.Entries.empty());
  for (const auto& e : md5.Entries) EXPECT_EQ(e.Algorithm, A::Md5);
  // Tags of several tools in one list.
  const std::string line = "cd '" + *folder_ + "' && { xxhsum --tag -H2 'a file.txt'; sha1sum " +
                           "--tag 'a) = b'; xxhsum -H3 empty; } > mixed-xxh.txt";
  ASSERT_EQ(std::system(line.c_str()), 0);
  const auto run = RunList(*folder_ + "/mixed-xxh.txt");
  EXPECT_TRUE(run.Reports.empty());
  ASSERT_EQ(run.Entries.size(), 3u);
  EXPECT_EQ(run.Entries[0].Digest, Expected(A::Xxh128, "a file.txt"));
  EXPECT_EQ(run.Entries[1].Digest, Expected(A::Sha1, "a) = b"));
  EXPECT_EQ(run.Entries[2].Digest, Expected(A::Xxh3, "empty"));
}

TEST_F(DigestPeerLists, OpensslBothForms) {
  NEED("openssl");
  using A = DigestAlgorithm;
  // OpenSSL escapes nothing: names with a line break cannot be in its lists.
  const struct {
    const char* Option;
    A Algorithm;
  } digests[] = {
      {"-md5", A::Md5}, {"-sha1", A::Sha1}, {"-sha256", A::Sha256}, {"-sha512", A::Sha512}};
  for (const auto& d : digests) {
    const std::string command = std::string("openssl dgst ") + d.Option;
    ExpectAll(Make(command, "openssl.txt", true), d.Algorithm, command, true);
    ExpectAll(Make(command + " -r", "openssl-r.txt", true), d.Algorithm, command + " -r", true);
  }
}

}  // namespace
