// The folding of the 128-bit path over 256-bit registers (AVX2 with
// VPCLMULQDQ, for processors that have the wide multiplier but not AVX-512):
// four registers of 32 bytes move 1024 bits forward per step, then fold into
// one register, whose two lanes finish on the 128-bit path. Each multiply
// instruction handles twice the bytes of the 128-bit path's.
#include "hashing/crc32_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include "hashing/crc32_clmul_inline.h"

#define CORVANA_VPCLMUL256_TARGET __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))

namespace {

CORVANA_VPCLMUL256_TARGET inline __m256i Load256(const unsigned char* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The same pair of constants in both 128-bit lanes.
CORVANA_VPCLMUL256_TARGET inline __m256i LanePairs256(uint64_t lo, uint64_t hi) {
  const long long l = static_cast<long long>(lo), h = static_cast<long long>(hi);
  return _mm256_set_epi64x(h, l, h, l);
}

CORVANA_VPCLMUL256_TARGET inline __m256i Fold256(__m256i x, __m256i k, __m256i next) {
  const __m256i lo = _mm256_clmulepi64_epi128(x, k, 0x00);
  const __m256i hi = _mm256_clmulepi64_epi128(x, k, 0x11);
  return _mm256_xor_si256(_mm256_xor_si256(lo, hi), next);
}

}  // namespace

CORVANA_REALIGN_STACK CORVANA_VPCLMUL256_TARGET uint32_t UpdateCRC32Vpclmul256(uint32_t crc,
                                                                               const void* data,
                                                                               uint32_t length) {
  using namespace crc32_fold;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if (length < 128) return UpdateCRC32Clmul(crc, p, length);

  const __m256i seed = _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc)));
  __m256i z0 = _mm256_xor_si256(Load256(p), seed);
  __m256i z1 = Load256(p + 32);
  __m256i z2 = Load256(p + 64);
  __m256i z3 = Load256(p + 96);
  p += 128;
  length -= 128;

  const __m256i k1024 = LanePairs256(kFold1024Lo, kFold1024Hi);
  for (; length >= 128; length -= 128, p += 128) {
    z0 = Fold256(z0, k1024, Load256(p));
    z1 = Fold256(z1, k1024, Load256(p + 32));
    z2 = Fold256(z2, k1024, Load256(p + 64));
    z3 = Fold256(z3, k1024, Load256(p + 96));
  }

  const __m256i k256 = LanePairs256(kFold256Lo, kFold256Hi);
  z0 = Fold256(z0, k256, z1);
  z0 = Fold256(z0, k256, z2);
  z0 = Fold256(z0, k256, z3);
  for (; length >= 32; length -= 32, p += 32) z0 = Fold256(z0, k256, Load256(p));

  // The register's two lanes are two consecutive 16-byte blocks.
  const __m128i k128 = ClmulPair(kFold128Lo, kFold128Hi);
  __m128i x = Fold128(_mm256_castsi256_si128(z0), k128, _mm256_extracti128_si256(z0, 1));
  return FinishFold128(x, p, length);
}

#else

uint32_t UpdateCRC32Vpclmul256(uint32_t crc, const void* data, uint32_t length) {
  return UpdateCRC32Slice16(crc, data, length);
}

#endif
