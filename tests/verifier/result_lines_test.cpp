// The reported texts: entry lines of every status and the summary wording.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hashing/entry_status.h"
#include "verifier/result_lines.h"

namespace {

const unsigned char kDigestA[16] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                    0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
const unsigned char kDigestB[16] = {0x01};

TEST(EntryLines, CrcMatchMismatchAndFailures) {
  ReportText line;
  auto ok =
      DescribeEntry("a.bin", Hashed, false, 0xCBF43926, kDigestB, 0xCBF43926, kDigestB, &line);
  EXPECT_STREQ(line.text, "a.bin: CBF43926:  OK");
  EXPECT_EQ(ok.kind, LineKind::Good);
  EXPECT_TRUE(ok.verified);
  auto bad = DescribeEntry("a.bin", Hashed, false, 0x0000abcd, kDigestB, 1, kDigestB, &line);
  EXPECT_STREQ(line.text, "a.bin: 0000abcd:  FAILED.  CRC mismatch");
  EXPECT_EQ(bad.counter, OutcomeCounter::Bad);
  EXPECT_FALSE(bad.verified);
  struct {
    uint32_t status;
    const char* text;
    OutcomeCounter counter;
  } cases[] = {
      {FileMissing, "x: :   FAILED.  File does not exist", OutcomeCounter::Missing},
      {ReadError, "x: :   FAILED.  Error reading file", OutcomeCounter::Bad},
      {Unresolved, "x: :   FAILED.  Could not resolve filename", OutcomeCounter::Unresolved},
      {LengthMismatch, "x: :   FAILED.  File length mismatch", OutcomeCounter::Bad},
      {NotOpened, "x: :   FAILED.  Network or device path not opened", OutcomeCounter::Bad},
      {77, "x: :   FAILED.  Internal allocation error", OutcomeCounter::None},
  };
  for (const auto& c : cases) {
    auto o = DescribeEntry("x", c.status, true, 0, kDigestA, 0, kDigestA, &line);
    EXPECT_STREQ(line.text, c.text);
    EXPECT_EQ(o.counter, c.counter) << c.text;
    EXPECT_EQ(line.kind, LineKind::Bad);
    EXPECT_FALSE(o.verified);
  }
}

TEST(EntryLines, Md5LinesUseUpperCaseDigestsAndSayCrcMismatch) {
  ReportText line;
  DescribeEntry("e", Hashed, true, 0, kDigestA, 0, kDigestA, &line);
  EXPECT_STREQ(line.text, "e: D41D8CD98F00B204E9800998ECF8427E:  OK");
  auto o = DescribeEntry("e", Hashed, true, 0, kDigestA, 0, kDigestB, &line);
  EXPECT_STREQ(line.text, "e: D41D8CD98F00B204E9800998ECF8427E:  FAILED.  CRC mismatch");
  EXPECT_EQ(o.counter, OutcomeCounter::Bad);
  DescribePreviouslyVerified("p", true, 0, kDigestA, &line);
  EXPECT_STREQ(line.text, "p: D41D8CD98F00B204E9800998ECF8427E:  OK (Previously verified)");
  DescribePreviouslyVerified("p", false, 0xABCDEF01, kDigestA, &line);
  EXPECT_STREQ(line.text, "p: abcdef01:  OK (Previously verified)");
  EXPECT_EQ(line.kind, LineKind::Good);
}

// Every algorithm through the one entry point: CRC-32 and MD5 exactly as
// their own lines, the others whole in upper case; failures as always.
TEST(EntryLines, DigestLinesOfEveryAlgorithm) {
  unsigned char computed[kMaxDigestBytes], other[kMaxDigestBytes] = {};
  for (int i = 0; i < kMaxDigestBytes; ++i) computed[i] = static_cast<unsigned char>(0xa0 + i);
  struct {
    DigestAlgorithm algorithm;
    const char* ok;
    const char* failed;
  } cases[] = {
      {DigestAlgorithm::Crc32, "n: A0A1A2A3:  OK", "n: a0a1a2a3:  FAILED.  CRC mismatch"},
      {DigestAlgorithm::Md5, "n: A0A1A2A3A4A5A6A7A8A9AAABACADAEAF:  OK",
       "n: A0A1A2A3A4A5A6A7A8A9AAABACADAEAF:  FAILED.  CRC mismatch"},
      {DigestAlgorithm::Sha1, "n: A0A1A2A3A4A5A6A7A8A9AAABACADAEAFB0B1B2B3:  OK",
       "n: A0A1A2A3A4A5A6A7A8A9AAABACADAEAFB0B1B2B3:  FAILED.  CRC mismatch"},
      {DigestAlgorithm::Sha256, nullptr, nullptr},
      {DigestAlgorithm::Sha512, nullptr, nullptr},
      {DigestAlgorithm::Blake3, nullptr, nullptr},
      {DigestAlgorithm::Xxh32, "n: A0A1A2A3:  OK", "n: A0A1A2A3:  FAILED.  CRC mismatch"},
      {DigestAlgorithm::Xxh64, nullptr, nullptr},
      {DigestAlgorithm::Xxh3, nullptr, nullptr},
      {DigestAlgorithm::Xxh128, nullptr, nullptr},
  };
  ReportText line;
  for (const auto& c : cases) {
    const int bytes = DigestBytes(c.algorithm);
    std::string hex;
    for (int i = 0; i < bytes; ++i) {
      char two[3];
      std::snprintf(two, sizeof two, "%02X", computed[i]);
      hex += two;
    }
    const std::string ok = c.ok ? c.ok : "n: " + hex + ":  OK";
    auto o = DescribeDigestEntry("n", Hashed, c.algorithm, computed, computed, &line);
    EXPECT_EQ(line.text, ok);
    EXPECT_TRUE(o.verified);
    EXPECT_EQ(o.kind, LineKind::Good);
    o = DescribeDigestEntry("n", Hashed, c.algorithm, computed, other, &line);
    EXPECT_EQ(line.text,
              c.failed ? std::string(c.failed) : "n: " + hex + ":  FAILED.  CRC mismatch");
    EXPECT_EQ(o.counter, OutcomeCounter::Bad);
    o = DescribeDigestEntry("n", FileMissing, c.algorithm, computed, other, &line);
    EXPECT_STREQ(line.text, "n: :   FAILED.  File does not exist");
    EXPECT_EQ(o.counter, OutcomeCounter::Missing);
  }
}

TEST(EntryLines, NamesAsLongAsAPathStayWhole) {
  static ReportText line;  // large
  const std::string name(kVerifierPathBytes - 1, 'n');
  DescribePreviouslyVerified(name.c_str(), true, 0, kDigestA, &line);
  EXPECT_EQ(std::string(line.text),
            name + ": D41D8CD98F00B204E9800998ECF8427E:  OK (Previously verified)");
}

std::vector<std::string> Summary(uint32_t n, uint32_t b, uint32_t m, uint32_t u, bool* allOk) {
  RunCounters c;
  c.CheckedCount = n;
  c.BadCount = b;
  c.MissingCount = m;
  c.UnresolvedCount = u;
  ReportText lines[4];
  int count = BuildSummary(c, lines, allOk);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(lines[i].text);
  return out;
}

TEST(Summary, WordingForTheCounterCombinations) {
  bool ok;
  using V = std::vector<std::string>;
  EXPECT_EQ(Summary(0, 0, 0, 0, &ok), V{"0 files checked"});
  EXPECT_FALSE(ok);
  EXPECT_EQ(Summary(1, 0, 0, 0, &ok), (V{"1 file checked", "All files OK"}));
  EXPECT_TRUE(ok);
  EXPECT_EQ(Summary(2, 0, 1, 0, &ok), (V{"2 files checked", "There was 1 missing file"}));
  EXPECT_EQ(Summary(3, 2, 1, 0, &ok),
            (V{"3 files checked", "There were 2 bad files and 1 missing file"}));
  EXPECT_EQ(Summary(5, 1, 3, 0, &ok),
            (V{"5 files checked", "There was 1 bad file and 3 missing files"}));
  EXPECT_EQ(Summary(4, 1, 0, 0, &ok), (V{"4 files checked", "There was 1 bad file"}));
  EXPECT_EQ(Summary(4, 3, 0, 0, &ok), (V{"4 files checked", "There were 3 bad files"}));
  EXPECT_EQ(Summary(4, 0, 2, 0, &ok), (V{"4 files checked", "There were 2 missing files"}));
  EXPECT_EQ(
      Summary(1, 0, 0, 1, &ok),
      (V{"1 file checked", "1 filename resolved to multiple filenames and was not verified"}));
  EXPECT_FALSE(ok);
  EXPECT_EQ(
      Summary(6, 1, 0, 2, &ok),
      (V{"6 files checked", "2 filenames resolved to multiple filenames and were not verified",
         "There was 1 bad file"}));
  // Counters without checked files (a stopped run) report only the count.
  EXPECT_EQ(Summary(0, 1, 1, 1, &ok), V{"0 files checked"});
}

}  // namespace
