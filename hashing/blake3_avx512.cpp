// BLAKE3 over sixteen inputs at once in 512-bit registers (AVX-512F, whose
// rotate instruction serves every rotation); fewer than sixteen go to the
// eight-lane path.
#include "hashing/digest_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

// GCC 12's AVX-512 intrinsics start their results from an undefined register
// and then warn, after inlining, that it is used uninitialized.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "hashing/blake3_internal.h"

#define CORVANA_B3_TARGET __attribute__((target("avx512f,avx2,ssse3,sse4.1")))

namespace {

constexpr size_t kLanes = 16;
using V = __m512i;

CORVANA_B3_TARGET inline V Set1(uint32_t x) {
  return _mm512_set1_epi32(static_cast<int>(x));
}
CORVANA_B3_TARGET inline V LoadLanes(const uint32_t* w) {
  return _mm512_loadu_si512(w);
}
CORVANA_B3_TARGET inline V Add(V a, V b) {
  return _mm512_add_epi32(a, b);
}
CORVANA_B3_TARGET inline V Xor(V a, V b) {
  return _mm512_xor_si512(a, b);
}
CORVANA_B3_TARGET inline V Rot16(V x) {
  return _mm512_ror_epi32(x, 16);
}
CORVANA_B3_TARGET inline V Rot12(V x) {
  return _mm512_ror_epi32(x, 12);
}
CORVANA_B3_TARGET inline V Rot8(V x) {
  return _mm512_ror_epi32(x, 8);
}
CORVANA_B3_TARGET inline V Rot7(V x) {
  return _mm512_ror_epi32(x, 7);
}

// Sixteen rows of sixteen words become columns: r[j] holds word j of each row.
CORVANA_B3_TARGET inline void Transpose16(V r[16]) {
  V t[16], u[16];
  for (int k = 0; k < 8; ++k) {
    t[2 * k] = _mm512_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
    t[2 * k + 1] = _mm512_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
  }
  // u[4g + c]: in 128-bit lane L, word 4L + c of rows 4g..4g+3.
  for (int g = 0; g < 4; ++g) {
    u[4 * g] = _mm512_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 1] = _mm512_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 2] = _mm512_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
    u[4 * g + 3] = _mm512_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
  }
  // A 4 x 4 transpose of 128-bit lanes for each c.
  for (int c = 0; c < 4; ++c) {
    const V x0 = _mm512_shuffle_i32x4(u[c], u[4 + c], 0x44);
    const V x1 = _mm512_shuffle_i32x4(u[c], u[4 + c], 0xEE);
    const V x2 = _mm512_shuffle_i32x4(u[8 + c], u[12 + c], 0x44);
    const V x3 = _mm512_shuffle_i32x4(u[8 + c], u[12 + c], 0xEE);
    r[c] = _mm512_shuffle_i32x4(x0, x2, 0x88);
    r[4 + c] = _mm512_shuffle_i32x4(x0, x2, 0xDD);
    r[8 + c] = _mm512_shuffle_i32x4(x1, x3, 0x88);
    r[12 + c] = _mm512_shuffle_i32x4(x1, x3, 0xDD);
  }
}

CORVANA_B3_TARGET inline void LoadMessage(V m[16], const unsigned char* input, size_t stride,
                                          size_t offset) {
  for (int i = 0; i < 16; ++i) m[i] = _mm512_loadu_si512(input + i * stride + offset);
  Transpose16(m);
}

CORVANA_B3_TARGET inline void StoreCvs(const V h[8], unsigned char* out) {
  V r[16];
  for (int i = 0; i < 8; ++i) {
    r[i] = h[i];
    r[i + 8] = _mm512_setzero_si512();
  }
  Transpose16(r);
  for (int i = 0; i < 16; ++i) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * i), _mm512_castsi512_si256(r[i]));
  }
}

#include "hashing/blake3_lanes_inline.h"

}  // namespace

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
CORVANA_B3_TARGET void
Blake3HashManyAvx512(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                     const uint32_t key[8], uint64_t counter, bool incrementCounter, uint8_t flags,
                     uint8_t flagsStart, uint8_t flagsEnd, unsigned char* out) {
  HashManyLanes(Blake3HashManyAvx2, input, stride, count, blocks, key, counter, incrementCounter,
                flags, flagsStart, flagsEnd, out);
}

#endif
