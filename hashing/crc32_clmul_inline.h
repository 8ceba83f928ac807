// The 128-bit folding steps shared by the carry-less multiply paths. Every
// helper carries the target of the paths that use it, so the files build
// without -m flags and the code only runs where the dispatcher found it.
#pragma once

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstdint>

#include "hashing/crc32_fold_constants.h"
#include "hashing/crc32_paths.h"

#define CORVANA_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

// Windows keeps the 32-bit stack only 4-byte aligned; the path entries realign
// it so that spilled vector registers are safe.
#if defined(__i386__)
#define CORVANA_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define CORVANA_REALIGN_STACK
#endif

CORVANA_CLMUL_TARGET static inline __m128i ClmulPair(uint64_t lo, uint64_t hi) {
  return _mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo));
}

CORVANA_CLMUL_TARGET static inline __m128i LoadBlock(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The lane moved forward by the distance of `k`, XORed into `next`.
CORVANA_CLMUL_TARGET static inline __m128i Fold128(__m128i x, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

// The CRC register of a 128-bit remainder: down to 64 bits, to 32 bits, then
// the Barrett reduction.
CORVANA_CLMUL_TARGET static inline uint32_t Reduce128(__m128i x) {
  using namespace crc32_fold;
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

  // 128 to 64 bits: the low half (the earlier bits) moves by x^96.
  const __m128i k128 = ClmulPair(kFold128Lo, kFold128Hi);
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, k128, 0x10));

  // 64 to 32 bits through x^64.
  const __m128i k64 = _mm_set_epi64x(0, static_cast<long long>(kFold64));
  x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, low32), k64, 0x00));

  // Barrett: quotient estimate through mu, times P, subtracted.
  const __m128i barrett = ClmulPair(kBarrettPoly, kBarrettMu);
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<uint32_t>(_mm_extract_epi32(x, 1));
}

// The end every folding path shares: the whole 16-byte blocks left are folded
// into the one lane `x`, which is reduced to the register, and the last bytes
// go through the table path.
CORVANA_CLMUL_TARGET static inline uint32_t FinishFold128(__m128i x, const unsigned char* p,
                                                          uint32_t length) {
  const __m128i k128 = ClmulPair(crc32_fold::kFold128Lo, crc32_fold::kFold128Hi);
  for (; length >= 16; length -= 16, p += 16) x = Fold128(x, k128, LoadBlock(p));
  return UpdateCRC32Slice16(Reduce128(x), p, length);
}

#endif
