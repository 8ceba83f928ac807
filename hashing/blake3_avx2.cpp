// BLAKE3 over eight inputs at once in 256-bit registers (AVX2); fewer than
// eight go to the four-lane path.
#include "hashing/digest_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "hashing/blake3_internal.h"

#define CORVANA_B3_TARGET __attribute__((target("avx2,ssse3,sse4.1")))

namespace {

constexpr size_t kLanes = 8;
using V = __m256i;

CORVANA_B3_TARGET inline V Set1(uint32_t x) {
  return _mm256_set1_epi32(static_cast<int>(x));
}
CORVANA_B3_TARGET inline V LoadLanes(const uint32_t* w) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w));
}
CORVANA_B3_TARGET inline V Add(V a, V b) {
  return _mm256_add_epi32(a, b);
}
CORVANA_B3_TARGET inline V Xor(V a, V b) {
  return _mm256_xor_si256(a, b);
}
CORVANA_B3_TARGET inline V Rot16(V x) {
  return _mm256_shuffle_epi8(
      x, _mm256_set_epi8(13, 12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2, 13, 12, 15, 14, 9, 8,
                         11, 10, 5, 4, 7, 6, 1, 0, 3, 2));
}
CORVANA_B3_TARGET inline V Rot8(V x) {
  return _mm256_shuffle_epi8(
      x, _mm256_set_epi8(12, 15, 14, 13, 8, 11, 10, 9, 4, 7, 6, 5, 0, 3, 2, 1, 12, 15, 14, 13, 8,
                         11, 10, 9, 4, 7, 6, 5, 0, 3, 2, 1));
}
CORVANA_B3_TARGET inline V Rot12(V x) {
  return _mm256_or_si256(_mm256_srli_epi32(x, 12), _mm256_slli_epi32(x, 20));
}
CORVANA_B3_TARGET inline V Rot7(V x) {
  return _mm256_or_si256(_mm256_srli_epi32(x, 7), _mm256_slli_epi32(x, 25));
}

// Eight rows of eight words become columns: r[j] holds word j of each row.
CORVANA_B3_TARGET inline void Transpose8(V r[8]) {
  V t[8], u[8];
  for (int k = 0; k < 4; ++k) {
    t[2 * k] = _mm256_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
    t[2 * k + 1] = _mm256_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
  }
  // u[4g + c]: words c and c + 4 of rows 4g..4g+3, in the two halves.
  for (int g = 0; g < 2; ++g) {
    u[4 * g] = _mm256_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 1] = _mm256_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 2] = _mm256_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
    u[4 * g + 3] = _mm256_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
  }
  for (int c = 0; c < 4; ++c) {
    r[c] = _mm256_permute2x128_si256(u[c], u[4 + c], 0x20);
    r[c + 4] = _mm256_permute2x128_si256(u[c], u[4 + c], 0x31);
  }
}

CORVANA_B3_TARGET inline void LoadMessage(V m[16], const unsigned char* input, size_t stride,
                                          size_t offset) {
  for (int half = 0; half < 2; ++half) {
    V* r = m + 8 * half;
    for (int i = 0; i < 8; ++i) {
      r[i] = _mm256_loadu_si256(
          reinterpret_cast<const __m256i*>(input + i * stride + offset + 32 * half));
    }
    Transpose8(r);
  }
}

CORVANA_B3_TARGET inline void StoreCvs(const V h[8], unsigned char* out) {
  V r[8] = {h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7]};
  Transpose8(r);
  for (int i = 0; i < 8; ++i) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * i), r[i]);
}

#include "hashing/blake3_lanes_inline.h"

}  // namespace

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
CORVANA_B3_TARGET void
Blake3HashManyAvx2(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                   const uint32_t key[8], uint64_t counter, bool incrementCounter, uint8_t flags,
                   uint8_t flagsStart, uint8_t flagsEnd, unsigned char* out) {
  HashManyLanes(Blake3HashManySse41, input, stride, count, blocks, key, counter, incrementCounter,
                flags, flagsStart, flagsEnd, out);
}

#endif
