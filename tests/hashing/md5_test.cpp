// MD5 against the suite of RFC 1321, fed whole and in pieces.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hashing/md5.h"

namespace {

std::string Hex(const unsigned char digest[16]) {
  char out[33];
  for (int i = 0; i < 16; ++i) std::snprintf(out + 2 * i, 3, "%02x", digest[i]);
  return out;
}

std::string Md5Hex(const void* data, uint32_t length) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, data, length);
  unsigned char digest[16];
  MD5Final(digest, &ctx);
  return Hex(digest);
}

TEST(Md5, Rfc1321Suite) {
  struct Vector {
    const char* text;
    const char* digest;
  };
  const Vector suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Vector& v : suite) {
    EXPECT_EQ(Md5Hex(v.text, static_cast<uint32_t>(std::strlen(v.text))), v.digest) << v.text;
  }
}

TEST(Md5, DigestIsLittleEndianStateAndStateIsCleared) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, "abc", 3);
  unsigned char digest[16];
  MD5Final(digest, &ctx);
  // 900150983cd24fb0...: byte 0 is the low byte of the first state word.
  EXPECT_EQ(digest[0], 0x90);
  EXPECT_EQ(digest[1], 0x01);
  for (uint32_t word : ctx.state) EXPECT_EQ(word, 0u);
}

TEST(Md5, PiecesOfEverySizeGiveTheSameDigest) {
  std::mt19937 rng(1321);
  std::vector<unsigned char> data(3000);
  for (auto& b : data) b = static_cast<unsigned char>(rng());
  const std::string whole = Md5Hex(data.data(), static_cast<uint32_t>(data.size()));

  // Fixed piece sizes around the block size, and random splits.
  for (uint32_t piece = 1; piece <= 130; ++piece) {
    MD5_CTX ctx;
    MD5Init(&ctx);
    for (size_t at = 0; at < data.size(); at += piece) {
      const uint32_t n = static_cast<uint32_t>(std::min<size_t>(piece, data.size() - at));
      MD5Update(&ctx, data.data() + at, n);
    }
    unsigned char digest[16];
    MD5Final(digest, &ctx);
    ASSERT_EQ(Hex(digest), whole) << "piece " << piece;
  }
  for (int round = 0; round < 200; ++round) {
    MD5_CTX ctx;
    MD5Init(&ctx);
    size_t at = 0;
    while (at < data.size()) {
      const size_t n = std::min<size_t>(rng() % 200, data.size() - at);
      MD5Update(&ctx, data.data() + at, static_cast<uint32_t>(n));
      at += n;
    }
    unsigned char digest[16];
    MD5Final(digest, &ctx);
    ASSERT_EQ(Hex(digest), whole) << "round " << round;
  }
}

TEST(Md5, ZeroLengthUpdateLeavesTheContextAlone) {
  // At a block boundary and in the middle of a block, with and without a
  // data pointer (an empty buffer may come as none).
  for (uint32_t before : {0u, 10u, 64u, 127u}) {
    const std::string text(before, 'q');
    MD5_CTX ctx;
    MD5Init(&ctx);
    MD5Update(&ctx, text.data(), before);
    MD5_CTX copy = ctx;
    MD5Update(&ctx, text.data(), 0);
    MD5Update(&ctx, nullptr, 0);
    ASSERT_EQ(std::memcmp(&ctx, &copy, sizeof ctx), 0) << before;
    unsigned char digest[16];
    MD5Final(digest, &ctx);
    EXPECT_EQ(Hex(digest), Md5Hex(text.data(), before)) << before;
  }
}

TEST(Md5, LengthsAroundThePaddingBoundary) {
  // 55, 56 and 64 bytes change how many padding blocks are needed; the
  // digests are those of md5sum.
  const std::string a55(55, 'a'), a56(56, 'a'), a64(64, 'a');
  EXPECT_EQ(Md5Hex(a55.data(), 55), "ef1772b6dff9a122358552954ad0df65");
  EXPECT_EQ(Md5Hex(a56.data(), 56), "3b0c8ac703f828b04c6c197006d17218");
  EXPECT_EQ(Md5Hex(a64.data(), 64), "014842d480b571495a4a0363793f7367");
}

TEST(Md5, TransformIsTheCompressionFunction) {
  // One padded block of "abc" through MD5Transform alone gives the digest.
  unsigned char block[64] = {'a', 'b', 'c', 0x80};
  block[56] = 24;  // bit count
  uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  MD5Transform(state, block);
  unsigned char digest[16];
  std::memcpy(digest, state, 16);
  EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
