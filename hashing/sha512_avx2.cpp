// SHA-512 with the message schedule in vector registers (two words per
// register, AVX2 encoding) and the rounds on scalar registers with BMI2's
// rotate, which leaves its source and the flags alone. Each pair of rounds
// also computes two schedule words of the next sixteen rounds, constants
// added, into a stack buffer, so the vector work rides beside the scalar
// chain instead of taking scalar slots.
#include "hashing/digest_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "hashing/sha512.h"

#define CORVANA_SHA512_TARGET __attribute__((target("avx2,bmi2")))

namespace {

CORVANA_SHA512_TARGET inline __m128i Rotr(__m128i x, int n) {
  return _mm_or_si128(_mm_srli_epi64(x, n), _mm_slli_epi64(x, 64 - n));
}

CORVANA_SHA512_TARGET inline __m128i SmallSigma0(__m128i x) {
  return _mm_xor_si128(_mm_xor_si128(Rotr(x, 1), Rotr(x, 8)), _mm_srli_epi64(x, 7));
}

CORVANA_SHA512_TARGET inline __m128i SmallSigma1(__m128i x) {
  return _mm_xor_si128(_mm_xor_si128(Rotr(x, 19), Rotr(x, 61)), _mm_srli_epi64(x, 6));
}

CORVANA_SHA512_TARGET inline uint64_t Ror(uint64_t x, int n) {
  return (x >> n) | (x << (64 - n));
}

}  // namespace

// One round with the working variables named by position. The additions
// that do not wait for e come first, so the next e waits for Sigma1 and Ch
// only; Maj reuses a ^ b of this round as b ^ c of the next.
#define SHA512_ROUND(a, b, c, d, e, f, g, h, t)                                     \
  do {                                                                              \
    const uint64_t t1 =                                                             \
        (h + wk[t]) + (g ^ (e & (f ^ g))) + (Ror(e, 14) ^ Ror(e, 18) ^ Ror(e, 41)); \
    d += t1;                                                                        \
    const uint64_t ab = a ^ b;                                                      \
    h = t1 + (Ror(a, 28) ^ Ror(a, 34) ^ Ror(a, 39)) + (b ^ (ab & bc));              \
    bc = ab;                                                                        \
  } while (0)

// Words 2q and 2q+1 (q = j/2 + 8 + p) from the ring of the last eight pairs:
// ring[p] holds pair q - 8 and is replaced.
#define SHA512_PAIR(p)                                                             \
  do {                                                                             \
    if (j < 64) {                                                                  \
      const __m128i w15 = _mm_alignr_epi8(ring[(p + 1) & 7], ring[p], 8);          \
      const __m128i w7 = _mm_alignr_epi8(ring[(p + 5) & 7], ring[(p + 4) & 7], 8); \
      ring[p] = _mm_add_epi64(_mm_add_epi64(ring[p], SmallSigma0(w15)),            \
                              _mm_add_epi64(w7, SmallSigma1(ring[(p + 7) & 7])));  \
      _mm_store_si128(reinterpret_cast<__m128i*>(wk + j + 16 + 2 * p),             \
                      _mm_add_epi64(ring[p], _mm_loadu_si128(k + j / 2 + 8 + p))); \
    }                                                                              \
  } while (0)

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
CORVANA_SHA512_TARGET void
Sha512BlocksAvx2(uint64_t state[8], const unsigned char* blocks, size_t count) {
  const __m128i swap = _mm_set_epi64x(0x08090a0b0c0d0e0fLL, 0x0001020304050607LL);
  const __m128i* k = reinterpret_cast<const __m128i*>(kSha512RoundConstants);
  alignas(16) uint64_t wk[80];
  for (; count != 0; --count, blocks += 128) {
    __m128i ring[8];
    for (int i = 0; i < 8; ++i) {
      ring[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i)),
                                 swap);
      _mm_store_si128(reinterpret_cast<__m128i*>(wk + 2 * i),
                      _mm_add_epi64(ring[i], _mm_loadu_si128(k + i)));
    }
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
    uint64_t bc = b ^ c;
#pragma GCC unroll 5
    for (int j = 0; j < 80; j += 16) {
      SHA512_ROUND(a, b, c, d, e, f, g, h, j + 0);
      SHA512_ROUND(h, a, b, c, d, e, f, g, j + 1);
      SHA512_PAIR(0);
      SHA512_ROUND(g, h, a, b, c, d, e, f, j + 2);
      SHA512_ROUND(f, g, h, a, b, c, d, e, j + 3);
      SHA512_PAIR(1);
      SHA512_ROUND(e, f, g, h, a, b, c, d, j + 4);
      SHA512_ROUND(d, e, f, g, h, a, b, c, j + 5);
      SHA512_PAIR(2);
      SHA512_ROUND(c, d, e, f, g, h, a, b, j + 6);
      SHA512_ROUND(b, c, d, e, f, g, h, a, j + 7);
      SHA512_PAIR(3);
      SHA512_ROUND(a, b, c, d, e, f, g, h, j + 8);
      SHA512_ROUND(h, a, b, c, d, e, f, g, j + 9);
      SHA512_PAIR(4);
      SHA512_ROUND(g, h, a, b, c, d, e, f, j + 10);
      SHA512_ROUND(f, g, h, a, b, c, d, e, j + 11);
      SHA512_PAIR(5);
      SHA512_ROUND(e, f, g, h, a, b, c, d, j + 12);
      SHA512_ROUND(d, e, f, g, h, a, b, c, j + 13);
      SHA512_PAIR(6);
      SHA512_ROUND(c, d, e, f, g, h, a, b, j + 14);
      SHA512_ROUND(b, c, d, e, f, g, h, a, j + 15);
      SHA512_PAIR(7);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#endif
