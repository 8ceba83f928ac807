// The primitives beside independent implementations: zlib's crc32 and
// OpenSSL's MD5, over random buffers of random lengths and alignments.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"
#include "hashing/md5.h"

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

}  // namespace
