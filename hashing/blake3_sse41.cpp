// BLAKE3 over four inputs at once in 128-bit registers (SSSE3 byte shuffles
// for the 16- and 8-bit rotations, SSE4.1 is the level the dispatcher asks
// for).
#include "hashing/digest_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "hashing/blake3_internal.h"

#define CORVANA_B3_TARGET __attribute__((target("ssse3,sse4.1")))

namespace {

constexpr size_t kLanes = 4;
using V = __m128i;

CORVANA_B3_TARGET inline V Set1(uint32_t x) {
  return _mm_set1_epi32(static_cast<int>(x));
}
CORVANA_B3_TARGET inline V LoadLanes(const uint32_t* w) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(w));
}
CORVANA_B3_TARGET inline V Add(V a, V b) {
  return _mm_add_epi32(a, b);
}
CORVANA_B3_TARGET inline V Xor(V a, V b) {
  return _mm_xor_si128(a, b);
}
CORVANA_B3_TARGET inline V Rot16(V x) {
  return _mm_shuffle_epi8(x, _mm_set_epi8(13, 12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2));
}
CORVANA_B3_TARGET inline V Rot8(V x) {
  return _mm_shuffle_epi8(x, _mm_set_epi8(12, 15, 14, 13, 8, 11, 10, 9, 4, 7, 6, 5, 0, 3, 2, 1));
}
CORVANA_B3_TARGET inline V Rot12(V x) {
  return _mm_or_si128(_mm_srli_epi32(x, 12), _mm_slli_epi32(x, 20));
}
CORVANA_B3_TARGET inline V Rot7(V x) {
  return _mm_or_si128(_mm_srli_epi32(x, 7), _mm_slli_epi32(x, 25));
}

// Rows a..d become columns: out[j] holds word j of each row.
CORVANA_B3_TARGET inline void Transpose4(V& a, V& b, V& c, V& d) {
  const V ab_low = _mm_unpacklo_epi32(a, b), ab_high = _mm_unpackhi_epi32(a, b);
  const V cd_low = _mm_unpacklo_epi32(c, d), cd_high = _mm_unpackhi_epi32(c, d);
  a = _mm_unpacklo_epi64(ab_low, cd_low);
  b = _mm_unpackhi_epi64(ab_low, cd_low);
  c = _mm_unpacklo_epi64(ab_high, cd_high);
  d = _mm_unpackhi_epi64(ab_high, cd_high);
}

CORVANA_B3_TARGET inline V Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

CORVANA_B3_TARGET inline void LoadMessage(V m[16], const unsigned char* input, size_t stride,
                                          size_t offset) {
  for (int q = 0; q < 4; ++q) {
    const unsigned char* p = input + offset + 16 * q;
    m[4 * q] = Load(p);
    m[4 * q + 1] = Load(p + stride);
    m[4 * q + 2] = Load(p + 2 * stride);
    m[4 * q + 3] = Load(p + 3 * stride);
    Transpose4(m[4 * q], m[4 * q + 1], m[4 * q + 2], m[4 * q + 3]);
  }
}

CORVANA_B3_TARGET inline void StoreCvs(const V h[8], unsigned char* out) {
  V low[4] = {h[0], h[1], h[2], h[3]}, high[4] = {h[4], h[5], h[6], h[7]};
  Transpose4(low[0], low[1], low[2], low[3]);
  Transpose4(high[0], high[1], high[2], high[3]);
  for (int i = 0; i < 4; ++i) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * i), low[i]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * i + 16), high[i]);
  }
}

#include "hashing/blake3_lanes_inline.h"

}  // namespace

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
CORVANA_B3_TARGET void
Blake3HashManySse41(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                    const uint32_t key[8], uint64_t counter, bool incrementCounter, uint8_t flags,
                    uint8_t flagsStart, uint8_t flagsEnd, unsigned char* out) {
  HashManyLanes(Blake3HashManyPortable, input, stride, count, blocks, key, counter,
                incrementCounter, flags, flagsStart, flagsEnd, out);
}

#endif
