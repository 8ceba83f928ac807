// The folding of the 128-bit path over 512-bit registers (AVX-512 with
// VPCLMULQDQ): four registers of 64 bytes move 2048 bits forward per step,
// then fold into one register, whose four lanes finish on the 128-bit path.
#include "hashing/crc32_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include "hashing/crc32_clmul_inline.h"

#define CORVANA_VPCLMUL_TARGET \
  __attribute__((target("avx512f,avx512bw,avx512vl,vpclmulqdq,pclmul,sse4.1")))

namespace {

CORVANA_VPCLMUL_TARGET inline __m512i Load512(const unsigned char* p) {
  return _mm512_loadu_si512(p);
}

// The same pair of constants in each 128-bit lane.
CORVANA_VPCLMUL_TARGET inline __m512i LanePairs(uint64_t lo, uint64_t hi) {
  const long long l = static_cast<long long>(lo), h = static_cast<long long>(hi);
  return _mm512_set_epi64(h, l, h, l, h, l, h, l);
}

CORVANA_VPCLMUL_TARGET inline __m512i Fold512(__m512i x, __m512i k, __m512i next) {
  const __m512i lo = _mm512_clmulepi64_epi128(x, k, 0x00);
  const __m512i hi = _mm512_clmulepi64_epi128(x, k, 0x11);
  return _mm512_ternarylogic_epi64(lo, hi, next, 0x96);  // lo ^ hi ^ next
}

}  // namespace

CORVANA_REALIGN_STACK CORVANA_VPCLMUL_TARGET uint32_t UpdateCRC32Vpclmul512(uint32_t crc,
                                                                            const void* data,
                                                                            uint32_t length) {
  using namespace crc32_fold;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if (length < 256) return UpdateCRC32Clmul(crc, p, length);

  const __m512i seed = _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc)));
  __m512i z0 = _mm512_xor_si512(Load512(p), seed);
  __m512i z1 = Load512(p + 64);
  __m512i z2 = Load512(p + 128);
  __m512i z3 = Load512(p + 192);
  p += 256;
  length -= 256;

  const __m512i k2048 = LanePairs(kFold2048Lo, kFold2048Hi);
  for (; length >= 256; length -= 256, p += 256) {
    z0 = Fold512(z0, k2048, Load512(p));
    z1 = Fold512(z1, k2048, Load512(p + 64));
    z2 = Fold512(z2, k2048, Load512(p + 128));
    z3 = Fold512(z3, k2048, Load512(p + 192));
  }

  const __m512i k512 = LanePairs(kFold512Lo, kFold512Hi);
  z0 = Fold512(z0, k512, z1);
  z0 = Fold512(z0, k512, z2);
  z0 = Fold512(z0, k512, z3);
  for (; length >= 64; length -= 64, p += 64) z0 = Fold512(z0, k512, Load512(p));

  // The register's four lanes are four consecutive 16-byte blocks.
  const __m128i k128 = ClmulPair(kFold128Lo, kFold128Hi);
  __m128i x = _mm512_maskz_extracti32x4_epi32(0xF, z0, 0);
  x = Fold128(x, k128, _mm512_maskz_extracti32x4_epi32(0xF, z0, 1));
  x = Fold128(x, k128, _mm512_maskz_extracti32x4_epi32(0xF, z0, 2));
  x = Fold128(x, k128, _mm512_maskz_extracti32x4_epi32(0xF, z0, 3));
  return FinishFold128(x, p, length);
}

#else

uint32_t UpdateCRC32Vpclmul512(uint32_t crc, const void* data, uint32_t length) {
  return UpdateCRC32Slice16(crc, data, length);
}

#endif
