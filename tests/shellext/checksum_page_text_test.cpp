// The portable rules of the "Checksums" page: its setting, its rows' text,
// which row a published digest matches and the clipboard's line.
#include "shellext/checksum_page_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Words(std::string_view value) {
  DigestAlgorithm shown[kDigestAlgorithmCount];
  const int count = ParseChecksumAlgorithms(value, shown);
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) words.push_back(DigestWord(shown[i]));
  return words;
}

TEST(ChecksumPageText, TheSettingNamesTheAlgorithmsInTheTablesOrder) {
  std::vector<std::string> all;
  for (DigestAlgorithm a : kDigestAlgorithmsInOrder) all.push_back(DigestWord(a));
  struct Case {
    const char* value;
    std::vector<std::string> words;
  } cases[] = {
      {"", all},
      {"   ", all},
      {"crc32,md5,sha1,sha256,sha512,blake3,xxh32,xxh64,xxh3,xxh128", all},
      {"crc32,md5,sha1,sha256,sha512,blake3",
       {"crc32", "md5", "sha1", "sha256", "sha512", "blake3"}},
      {"sha256", {"sha256"}},
      {"BLAKE3, Sha256", {"sha256", "blake3"}},  // table order, any case
      {" md5 ,, md5 ,", {"md5"}},                // each once; empty words passed over
      {"sha-256,sha3", all},                     // no word known: everything
      {"whirlpool,crc32", {"crc32"}},
      {"crc32 md5", all},  // blanks do not separate
  };
  for (const Case& c : cases) EXPECT_EQ(Words(c.value), c.words) << '"' << c.value << '"';
}

DigestValue Value(DigestAlgorithm algorithm, unsigned char first) {
  DigestValue v{};
  v.Algorithm = algorithm;
  for (int i = 0; i < kMaxDigestBytes; ++i) v.Bytes[i] = static_cast<unsigned char>(first + i);
  v.Crc = 0x0A1B2C3Du;
  return v;
}

TEST(ChecksumPageText, RowsWriteLowerCaseHexAndCrc32AsSfvListsDo) {
  char text[kRowDigestChars];
  FormatRowDigest(Value(DigestAlgorithm::Crc32, 0), text);
  EXPECT_STREQ(text, "0A1B2C3D");
  FormatRowDigest(Value(DigestAlgorithm::Md5, 0xA0), text);
  EXPECT_STREQ(text, "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf");
  FormatRowDigest(Value(DigestAlgorithm::Sha512, 0), text);
  EXPECT_EQ(std::string(text).size(), 128u);
}

PublishedDigest Published(unsigned char first, int length, std::vector<DigestAlgorithm> may) {
  PublishedDigest p{};
  for (int i = 0; i < length; ++i) p.bytes[i] = static_cast<unsigned char>(first + i);
  p.length = length;
  for (DigestAlgorithm a : may) p.algorithms[p.algorithmCount++] = a;
  return p;
}

TEST(ChecksumPageText, TheRowWhoseAlgorithmAndBytesAgreeMatches) {
  const DigestValue sha256a = Value(DigestAlgorithm::Sha256, 1);
  const DigestValue blake3a = Value(DigestAlgorithm::Blake3, 2);
  const DigestValue sha256b = Value(DigestAlgorithm::Sha256, 3);
  const DigestValue blake3b = Value(DigestAlgorithm::Blake3, 3);
  const DigestValue md5b = Value(DigestAlgorithm::Md5, 3);
  const DigestValue* rows[] = {&sha256a, &blake3a, nullptr, &sha256b, &blake3b, &md5b};
  const auto both = std::vector<DigestAlgorithm>{DigestAlgorithm::Sha256, DigestAlgorithm::Blake3};
  struct Case {
    const char* what;
    PublishedDigest published;
    int row;
  } cases[] = {
      {"64 digits: the SHA-256 of the first file", Published(1, 32, both), 0},
      {"64 digits: the BLAKE3 of the first file", Published(2, 32, both), 1},
      {"64 digits fitting both of the second: the first in the table", Published(3, 32, both), 3},
      {"named BLAKE3", Published(3, 32, {DigestAlgorithm::Blake3}), 4},
      {"named SHA-256 but the bytes are a BLAKE3", Published(2, 32, {DigestAlgorithm::Sha256}), -1},
      {"the same first 16 bytes are no SHA-256", Published(3, 16, both), -1},
      {"MD5", Published(3, 16, {DigestAlgorithm::Md5}), 5},
      {"nothing", Published(9, 32, both), -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindMatchingRow(c.published, rows, std::size(rows)), c.row) << c.what;
}

TEST(ChecksumPageText, CopiedRowsAreTheToolsLines) {
  std::string out;
  AppendCopyLine(&out, "0A1B2C3D", "a.bin");
  AppendCopyLine(&out, "d41d8cd98f00b204e9800998ecf8427e", "b c.bin");
  EXPECT_EQ(out, "0A1B2C3D  a.bin\r\nd41d8cd98f00b204e9800998ecf8427e  b c.bin\r\n");
}

TEST(ChecksumPageText, TheClipboardsLineWithADigest) {
  const std::string sha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  struct Case {
    std::string text;
    std::string line;
  } cases[] = {
      {sha256, sha256},
      {"  " + sha256 + " \t", sha256},
      {"Release 1.0\r\n\r\n" + sha256 + "  a.bin\r\nSHA-1 below\n", sha256 + "  a.bin"},
      {"first\nsecond\n" + sha256, sha256},
      {"no digest in here", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LineWithDigest(c.text), c.line) << c.text;
}

}  // namespace
