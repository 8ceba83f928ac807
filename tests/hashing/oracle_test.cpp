// The primitives beside independent implementations: zlib's crc32,
// OpenSSL's MD5 and SHA digests, and b3sum for BLAKE3, over random buffers of
// random lengths and alignments, on every kernel set this processor runs.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"
#include "hashing/digest.h"
#include "hashing/md5.h"
#include "tests/hashing/digest_levels.h"

namespace {

TEST(Oracles, Crc32AgreesWithZlib) {
  std::mt19937 rng(1950);
  std::vector<unsigned char> data(300000);
  for (auto& b : data) b = static_cast<unsigned char>(rng());
  for (int round = 0; round < 400; ++round) {
    const uint32_t offset = rng() % 64;
    const uint32_t n = round < 200 ? rng() % 2048 : rng() % (data.size() - 64);
    const unsigned char* p = data.data() + offset;
    const uint32_t expected = static_cast<uint32_t>(crc32(0, p, n));
    ASSERT_EQ(~UpdateCRC32(0xFFFFFFFF, p, n), expected) << offset << " " << n;
    ASSERT_EQ(~UpdateCRC32Slice16(0xFFFFFFFF, p, n), expected) << offset << " " << n;
  }
}

TEST(Oracles, Md5AgreesWithOpenSsl) {
  std::mt19937 rng(1321);
  std::vector<unsigned char> data(200000);
  for (auto& b : data) b = static_cast<unsigned char>(rng());
  for (int round = 0; round < 300; ++round) {
    const uint32_t offset = rng() % 64;
    const uint32_t n = round < 150 ? rng() % 1024 : rng() % (data.size() - 64);
    const unsigned char* p = data.data() + offset;

    unsigned char expected[16];
    unsigned int expected_len = 0;
    ASSERT_EQ(EVP_Digest(p, n, expected, &expected_len, EVP_md5(), nullptr), 1);
    ASSERT_EQ(expected_len, 16u);

    MD5_CTX ctx;
    MD5Init(&ctx);
    // Two pieces split at a random point, so both the buffered and the
    // direct block paths are compared.
    const uint32_t cut = n == 0 ? 0 : rng() % n;
    MD5Update(&ctx, p, cut);
    MD5Update(&ctx, p + cut, n - cut);
    unsigned char digest[16];
    MD5Final(digest, &ctx);
    ASSERT_EQ(std::memcmp(digest, expected, 16), 0) << offset << " " << n;
  }
}

// Lengths around block (64, 128 bytes), chunk (1024) and many-chunk
// boundaries up to 17 KiB, random ones below that, and a few large ones.
std::vector<size_t> OracleLengths(std::mt19937& rng) {
  std::vector<size_t> lengths;
  for (size_t base = 0; base <= 17 * 1024; base += 64) {
    for (int d : {-1, 0, 1}) {
      if (base + d <= 17 * 1024 && (base % 1024 == 0 || rng() % 4 == 0))
        lengths.push_back(base + d);
    }
  }
  for (int i = 0; i < 60; ++i) lengths.push_back(rng() % (17 * 1024));
  for (size_t big : {65536u, 65537u, 100000u, 1048576u, 1048577u, 3000001u}) lengths.push_back(big);
  return lengths;
}

std::string DigestHex(DigestAlgorithm a, const DigestKernels& k, const unsigned char* p, size_t n,
                      std::mt19937& rng) {
  DigestContext ctx;
  DigestInitWith(&ctx, a, k);
  // Random pieces, some under a block, some of many chunks.
  for (size_t at = 0; at < n;) {
    size_t piece = std::min(n - at, static_cast<size_t>(rng() % (rng() % 2 ? 200 : 40000)));
    DigestUpdate(&ctx, p + at, piece);
    at += piece;
  }
  unsigned char out[kMaxDigestBytes];
  DigestFinal(&ctx, out);
  std::string hex;
  for (int i = 0; i < DigestBytes(a); ++i) {
    char b[3];
    std::snprintf(b, sizeof b, "%02x", out[i]);
    hex += b;
  }
  return hex;
}

std::vector<unsigned char> RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(rng());
  return v;
}

TEST(Oracles, ShaDigestsAgreeWithOpenSsl) {
  std::mt19937 rng(1804);
  const std::vector<unsigned char> data = RandomBytes(3000001 + 64, 4);
  const std::vector<size_t> lengths = OracleLengths(rng);
  const struct {
    DigestAlgorithm algorithm;
    const EVP_MD* md;
  } algorithms[] = {{DigestAlgorithm::Sha1, EVP_sha1()},
                    {DigestAlgorithm::Sha256, EVP_sha256()},
                    {DigestAlgorithm::Sha512, EVP_sha512()}};
  for (const DigestLevel& level : SupportedDigestLevels()) {
    for (const auto& a : algorithms) {
      for (size_t n : lengths) {
        const unsigned char* p = data.data() + rng() % 64;
        unsigned char expected[EVP_MAX_MD_SIZE];
        unsigned int expected_len = 0;
        ASSERT_EQ(EVP_Digest(p, n, expected, &expected_len, a.md, nullptr), 1);
        std::string hex;
        for (unsigned i = 0; i < expected_len; ++i) {
          char b[3];
          std::snprintf(b, sizeof b, "%02x", expected[i]);
          hex += b;
        }
        ASSERT_EQ(DigestHex(a.algorithm, level.kernels, p, n, rng), hex)
            << level.name << " algorithm " << static_cast<int>(a.algorithm) << " length " << n;
      }
    }
  }
}

// b3sum reads one file per length, all in one run; its digests in order.
std::vector<std::string> B3sum(const std::vector<unsigned char>& data,
                               const std::vector<size_t>& lengths) {
  char dir[] = "/tmp/corvana-b3-XXXXXX";
  if (!mkdtemp(dir)) return {};
  std::string command = "b3sum --no-names";
  for (size_t i = 0; i < lengths.size(); ++i) {
    const std::string path = std::string(dir) + "/" + std::to_string(i);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return {};
    std::fwrite(data.data(), 1, lengths[i], f);
    std::fclose(f);
    command += " " + path;
  }
  std::vector<std::string> digests;
  if (FILE* out = popen(command.c_str(), "r")) {
    char line[128];
    while (std::fgets(line, sizeof line, out)) digests.push_back(std::string(line, 64));
    pclose(out);
  }
  for (size_t i = 0; i < lengths.size(); ++i) {
    std::remove((std::string(dir) + "/" + std::to_string(i)).c_str());
  }
  rmdir(dir);
  return digests;
}

TEST(Oracles, Blake3AgreesWithB3sum) {
  if (std::system("b3sum --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "b3sum is not installed";
  std::mt19937 rng(1993);
  const std::vector<unsigned char> data = RandomBytes(3000001, 5);
  const std::vector<size_t> lengths = OracleLengths(rng);
  const std::vector<std::string> expected = B3sum(data, lengths);
  ASSERT_EQ(expected.size(), lengths.size());
  for (const DigestLevel& level : SupportedDigestLevels()) {
    for (size_t i = 0; i < lengths.size(); ++i) {
      ASSERT_EQ(DigestHex(DigestAlgorithm::Blake3, level.kernels, data.data(), lengths[i], rng),
                expected[i])
          << level.name << " length " << lengths[i];
    }
  }
}

}  // namespace
