// CRC-32: published values, the table, the contract of UpdateCRC32 and every
// implementation behind it against the word-at-a-time reference.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"

namespace {

// Bit at a time, straight from the definition of the reflected polynomial.
uint32_t BitwiseCrc(uint32_t crc, const unsigned char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc;
}

std::vector<unsigned char> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(rng());
  return v;
}

TEST(Crc32, PublishedValues) {
  EXPECT_EQ(~UpdateCRC32(0xFFFFFFFF, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(~UpdateCRC32(0xFFFFFFFF, "", 0), 0u);
  EXPECT_EQ(~UpdateCRC32(0xFFFFFFFF, "The quick brown fox jumps over the lazy dog", 43),
            0x414FA339u);
  // A zero-length call returns the running value unchanged, whatever it is.
  EXPECT_EQ(UpdateCRC32(0x12345678, nullptr, 0), 0x12345678u);
}

TEST(Crc32, TableIsTheEightStepRegister) {
  EXPECT_EQ(BigTable[1], 0x77073096u);
  for (uint32_t i = 0; i < 256; ++i) {
    const unsigned char zero = 0;
    // One zero byte through a register holding i shifts i through eight steps.
    ASSERT_EQ(BigTable[i], BitwiseCrc(i, &zero, 1)) << i;
  }
}

TEST(Crc32, ReferenceFollowsTheDefinition) {
  const auto data = RandomBytes(4096 + 64, 3309);
  for (size_t offset = 0; offset < 8; ++offset) {
    for (uint32_t n : {0u, 1u, 3u, 4u, 5u, 8u, 100u, 4096u}) {
      ASSERT_EQ(UpdateCRC32Reference(0xFFFFFFFF, data.data() + offset, n),
                BitwiseCrc(0xFFFFFFFF, data.data() + offset, n))
          << offset << " " << n;
    }
  }
}

}  // namespace
