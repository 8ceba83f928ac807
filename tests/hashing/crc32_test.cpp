// CRC-32: published values, the table, the contract of UpdateCRC32 and every
// implementation behind it against the word-at-a-time reference.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/crc32_fold_constants.h"
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

TEST(Crc32, FoldConstantsFollowFromThePolynomial) {
  using namespace crc32_fold;
  // x^n mod P by plain polynomial arithmetic in the normal form, reflected.
  auto xpow_normal = [](uint32_t n) {
    uint64_t r = 1;
    for (uint32_t i = 0; i < n; ++i) {
      r <<= 1;
      if (r & (1ull << 32)) r ^= 0x104C11DB7ull;
    }
    return static_cast<uint32_t>(r);
  };
  for (uint32_t n : {64u, 96u, 160u, 224u, 288u, 480u, 544u, 2016u, 2080u}) {
    EXPECT_EQ(XPowModP(n), static_cast<uint32_t>(Reflect(xpow_normal(n), 32))) << n;
  }
  // mu * P agrees with x^64 in every term of degree 32 and above.
  const uint64_t mu = Reflect(kBarrettMu, 33);
  uint64_t lo = 0, hi = 0;  // the 65-bit product
  for (int i = 0; i < 33; ++i) {
    if ((mu >> i) & 1) {
      lo ^= 0x104C11DB7ull << i;
      hi ^= i == 0 ? 0 : 0x104C11DB7ull >> (64 - i);
    }
  }
  EXPECT_EQ(hi, 1u);
  EXPECT_EQ(lo >> 32, 0u);
  EXPECT_EQ(kBarrettPoly, 0x1DB710641ull);
}

// Every path behind UpdateCRC32, and UpdateCRC32 itself.
struct PathCase {
  const char* name;
  CrcFunction fn;
  CrcPath path;
  bool dispatched;
};

class Crc32Path : public ::testing::TestWithParam<PathCase> {
 protected:
  void SetUp() override {
    if (!GetParam().dispatched && !CrcPathSupported(GetParam().path))
      GTEST_SKIP() << "this processor lacks " << GetParam().name;
  }
  uint32_t Run(uint32_t crc, const void* p, uint32_t n) const { return GetParam().fn(crc, p, n); }
};

TEST_P(Crc32Path, PublishedValues) {
  EXPECT_EQ(~Run(0xFFFFFFFF, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Run(0xFFFFFFFF, nullptr, 0), 0xFFFFFFFFu);
  // 1 MiB of zeros, as rhash reports it.
  std::vector<unsigned char> zeros(1 << 20);
  EXPECT_EQ(~Run(0xFFFFFFFF, zeros.data(), static_cast<uint32_t>(zeros.size())), 0xA738EA1Cu);
}

TEST_P(Crc32Path, EveryLengthAndMisalignmentMatchesTheReference) {
  const auto data = RandomBytes(3000 + 64, 42);
  for (uint32_t offset = 0; offset < 64; ++offset) {
    const unsigned char* p = data.data() + offset;
    for (uint32_t n = 0; n <= 3000; n += (offset == 0 || n < 600) ? 1 : 7) {
      const uint32_t seed = n * 0x9E3779B9u;  // running values other than the start
      ASSERT_EQ(Run(seed, p, n), UpdateCRC32Reference(seed, p, n))
          << "offset " << offset << " length " << n;
    }
  }
}

TEST_P(Crc32Path, LongInputsAcrossTheFoldLoops) {
  const auto data = RandomBytes((1 << 20) + 512, 7);
  for (uint32_t offset : {0u, 1u, 13u, 63u}) {
    for (uint32_t n : {4095u, 4096u, 65535u, 65536u, 65536u + 255u, 65536u + 256u, 65536u + 257u,
                       (1u << 20) - 1, 1u << 20, (1u << 20) + 77}) {
      const unsigned char* p = data.data() + offset;
      ASSERT_EQ(Run(0xFFFFFFFF, p, n), UpdateCRC32Reference(0xFFFFFFFF, p, n))
          << "offset " << offset << " length " << n;
    }
  }
}

TEST_P(Crc32Path, AnySplitGivesTheValueOfOneCall) {
  const auto data = RandomBytes(20000, 99);
  const uint32_t whole = UpdateCRC32Reference(0xFFFFFFFF, data.data(), 20000);
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    uint32_t crc = 0xFFFFFFFF;
    size_t at = 0;
    while (at < data.size()) {
      // Mostly short pieces, now and then a long one that reaches the folds.
      const size_t want = (rng() % 4 == 0) ? rng() % 5000 : rng() % 80;
      const size_t n = std::min(want, data.size() - at);
      crc = Run(crc, data.data() + at, static_cast<uint32_t>(n));
      at += n;
    }
    ASSERT_EQ(crc, whole) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Crc32Path,
    ::testing::Values(PathCase{"slice16", &UpdateCRC32Slice16, CrcPath::Slice16, false},
                      PathCase{"pclmul", &UpdateCRC32Clmul, CrcPath::Clmul, false},
                      PathCase{"vpclmul256", &UpdateCRC32Vpclmul256, CrcPath::Vpclmul256, false},
                      PathCase{"vpclmul512", &UpdateCRC32Vpclmul512, CrcPath::Vpclmul512, false},
                      PathCase{"dispatched", &UpdateCRC32, CrcPath::Reference, true}),
    [](const ::testing::TestParamInfo<PathCase>& p) { return std::string(p.param.name); });

TEST(Crc32, DispatchPicksTheWidestSupportedPath) {
  const CrcPath chosen = SelectedCrcPath();
  EXPECT_TRUE(CrcPathSupported(chosen));
  if (CrcPathSupported(CrcPath::Vpclmul512)) {
    EXPECT_EQ(chosen, CrcPath::Vpclmul512);
  } else if (CrcPathSupported(CrcPath::Vpclmul256)) {
    EXPECT_EQ(chosen, CrcPath::Vpclmul256);
  } else if (CrcPathSupported(CrcPath::Clmul)) {
    EXPECT_EQ(chosen, CrcPath::Clmul);
  }
  std::printf("UpdateCRC32 runs the %s path here\n", CrcPathName(chosen));
}

}  // namespace
