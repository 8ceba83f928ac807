// How many files go at once (the seek penalty, the processors, the
// "Threads" setting and its words) and the per-file checksum that every
// engine feeds, against the primitives and published values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/file_digest.h"
#include "hashing/files_at_once.h"
#include "hashing/md5.h"
#include "hashing/threads_setting.h"

namespace {

struct DecisionCase {
  SeekPenalty Penalty;
  uint32_t Setting;
  uint32_t Processors;
  uint32_t Files;
};

TEST(FilesAtOnceTest, TheDecisionTable) {
  const SeekPenalty none = SeekPenalty::None, disk = SeekPenalty::Present,
                    unknown = SeekPenalty::Unknown;
  const DecisionCase cases[] = {
      // 0 decides: every processor without a seek penalty, else one at a time.
      {none, 0, 2, 2},
      {none, 0, 8, 8},
      {none, 0, 1, 1},
      {none, 0, 0, 1},  // a count the platform did not give
      {none, 0, 64, kMaxFilesAtOnce},
      {disk, 0, 8, 1},
      {unknown, 0, 8, 1},
      // 1 is one at a time whatever the storage.
      {none, 1, 8, 1},
      {disk, 1, 8, 1},
      {unknown, 1, 8, 1},
      // N is at most N, whatever the storage and the processors.
      {disk, 2, 8, 2},
      {unknown, 4, 2, 4},
      {none, 3, 8, 3},
      {none, 16, 1, 16},
      {unknown, 17, 2, kMaxFilesAtOnce},
      {disk, kMaxThreadsSetting, 2, kMaxFilesAtOnce},
  };
  for (const DecisionCase& c : cases) {
    EXPECT_EQ(FilesAtOnce(c.Penalty, c.Setting, c.Processors), c.Files)
        << "penalty " << static_cast<int>(c.Penalty) << ", Threads=" << c.Setting << ", "
        << c.Processors << " processors";
  }
}

TEST(ThreadsSettingTest, Words) {
  const struct {
    const char* Value;
    uint32_t Threads;
  } cases[] = {
      {"", 0},
      {"0", 0},
      {"1", 1},
      {"2", 2},
      {" 4 ", 4},
      {"\t8", 8},
      {"+3", 3},
      {"007", 7},
      {"2 threads", 2},
      {"4x", 4},
      {"-1", 0},
      {"- 2", 0},
      {"two", 0},
      {"auto", 0},
      {" ", 0},
      {"9999", 9999},
      {"10000", kMaxThreadsSetting},
      {"99999999999999999999", kMaxThreadsSetting},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseThreadsSetting(c.Value), c.Threads) << c.Value;
  EXPECT_EQ(ParseThreadsSetting(nullptr), 0u);
}

std::string Hex(const unsigned char* bytes, int count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

DigestValue DigestInPieces(DigestAlgorithm algorithm, const std::vector<unsigned char>& bytes,
                           size_t piece) {
  FileDigest digest;
  BeginFileDigest(&digest, algorithm);
  for (size_t at = 0; at < bytes.size(); at += piece) {
    size_t n = bytes.size() - at < piece ? bytes.size() - at : piece;
    FeedFileDigest(&digest, bytes.data() + at, static_cast<uint32_t>(n));
  }
  DigestValue value;
  FinishFileDigest(&digest, &value);
  return value;
}

TEST(FileDigestTest, PublishedValuesInAnySplit) {
  const std::string check = "123456789";
  const std::vector<unsigned char> nine(check.begin(), check.end());
  for (size_t piece : {1, 2, 4, 9}) {
    DigestValue crc = DigestInPieces(DigestAlgorithm::Crc32, nine, piece);
    EXPECT_EQ(crc.Crc, 0xCBF43926u);
    EXPECT_EQ(Hex(crc.Bytes, DigestBytes(DigestAlgorithm::Crc32)), "cbf43926");
    DigestValue md5 = DigestInPieces(DigestAlgorithm::Md5, nine, piece);
    EXPECT_EQ(Hex(md5.Bytes, 16), "25f9e794323b453885f5181f1b624d0b");
    EXPECT_EQ(md5.Crc, 0u);
  }
  const std::vector<unsigned char> empty;
  EXPECT_EQ(DigestInPieces(DigestAlgorithm::Crc32, empty, 1).Crc, 0u);
  EXPECT_EQ(Hex(DigestInPieces(DigestAlgorithm::Md5, empty, 1).Bytes, 16),
            "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(FileDigestTest, SameAsThePrimitivesAndEveryAlgorithmIsAvailable) {
  std::vector<unsigned char> bytes(300001);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131 >> 3);
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  unsigned char md5[16];
  MD5Final(md5, &context);
  const uint32_t crc = ~UpdateCRC32(0xFFFFFFFF, bytes.data(), static_cast<uint32_t>(bytes.size()));
  for (size_t piece : {size_t{4096}, size_t{65536}, size_t{1048576}}) {
    EXPECT_EQ(DigestInPieces(DigestAlgorithm::Crc32, bytes, piece).Crc, crc);
    EXPECT_EQ(std::memcmp(DigestInPieces(DigestAlgorithm::Md5, bytes, piece).Bytes, md5, 16), 0);
  }
  for (DigestAlgorithm a : {DigestAlgorithm::Crc32, DigestAlgorithm::Md5, DigestAlgorithm::Sha1,
                            DigestAlgorithm::Sha256, DigestAlgorithm::Sha512, DigestAlgorithm::Blake3})
    EXPECT_TRUE(DigestAvailable(a));
  // "abc" through the file digest gives the published SHA-256.
  const std::vector<unsigned char> abc = {'a', 'b', 'c'};
  EXPECT_EQ(Hex(DigestInPieces(DigestAlgorithm::Sha256, abc, 1).Bytes, 32),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
