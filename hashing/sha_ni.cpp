// SHA-1 and SHA-256 on the processor's SHA extensions. The state lives in
// XMM registers in the order the round instructions want it; the message
// schedule runs on the same registers four words at a time.
#include "hashing/digest_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "hashing/sha256.h"

#define CORVANA_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

// Windows keeps the 32-bit stack only 4-byte aligned; the entries realign it
// so that spilled vector registers are safe.
#if defined(__i386__)
#define CORVANA_SHA_REALIGN __attribute__((force_align_arg_pointer))
#else
#define CORVANA_SHA_REALIGN
#endif

namespace {

CORVANA_SHA_TARGET inline __m128i Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

// SHA-1: ABCD in one register with A in the highest lane; E rides in the
// highest lane of the message words of the next four rounds (SHA1NEXTE derives
// it from the A of four rounds earlier).
CORVANA_SHA_REALIGN CORVANA_SHA_TARGET void Sha1BlocksShaNi(uint32_t state[5],
                                                            const unsigned char* blocks,
                                                            size_t count) {
  // Reverses the sixteen bytes: big-endian words, the first in the top lane.
  const __m128i reverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  __m128i abcd = _mm_shuffle_epi32(Load(reinterpret_cast<const unsigned char*>(state)), 0x1B);
  __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);

  for (; count != 0; --count, blocks += 64) {
    const __m128i abcd_saved = abcd;
    const __m128i e_saved = e0;
    __m128i m[4];
    for (int q = 0; q < 4; ++q) m[q] = _mm_shuffle_epi8(Load(blocks + 16 * q), reverse);

    // Twenty groups of four rounds; group g uses words 4g..4g+3, kept in a
    // ring of four registers and extended before their group.
    __m128i abcd_previous = abcd;
    __m128i we = _mm_add_epi32(e0, m[0]);
#define CORVANA_SHA1_GROUP(g)                                                          \
  do {                                                                                 \
    if (g >= 4) {                                                                      \
      m[g & 3] = _mm_sha1msg2_epu32(                                                   \
          _mm_xor_si128(_mm_sha1msg1_epu32(m[g & 3], m[(g + 1) & 3]), m[(g + 2) & 3]), \
          m[(g + 3) & 3]);                                                             \
    }                                                                                  \
    if (g > 0) we = _mm_sha1nexte_epu32(abcd_previous, m[g & 3]);                      \
    abcd_previous = abcd;                                                              \
    abcd = _mm_sha1rnds4_epu32(abcd, we, g / 5);                                       \
  } while (0)
    CORVANA_SHA1_GROUP(0);
    CORVANA_SHA1_GROUP(1);
    CORVANA_SHA1_GROUP(2);
    CORVANA_SHA1_GROUP(3);
    CORVANA_SHA1_GROUP(4);
    CORVANA_SHA1_GROUP(5);
    CORVANA_SHA1_GROUP(6);
    CORVANA_SHA1_GROUP(7);
    CORVANA_SHA1_GROUP(8);
    CORVANA_SHA1_GROUP(9);
    CORVANA_SHA1_GROUP(10);
    CORVANA_SHA1_GROUP(11);
    CORVANA_SHA1_GROUP(12);
    CORVANA_SHA1_GROUP(13);
    CORVANA_SHA1_GROUP(14);
    CORVANA_SHA1_GROUP(15);
    CORVANA_SHA1_GROUP(16);
    CORVANA_SHA1_GROUP(17);
    CORVANA_SHA1_GROUP(18);
    CORVANA_SHA1_GROUP(19);
#undef CORVANA_SHA1_GROUP
    // E after the last group is A of the group before, rotated; both halves
    // of the state add the values from before the block.
    e0 = _mm_sha1nexte_epu32(abcd_previous, e_saved);
    abcd = _mm_add_epi32(abcd, abcd_saved);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
  state[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}

// SHA-256: the state as ABEF and CDGH (highest lane first); each SHA256RNDS2
// runs two rounds with the words and constants in the low half of its third
// operand.
CORVANA_SHA_REALIGN CORVANA_SHA_TARGET void Sha256BlocksShaNi(uint32_t state[8],
                                                              const unsigned char* blocks,
                                                              size_t count) {
  // Byte order within each word: big-endian words, the first in the low lane.
  const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  const __m128i abcd = _mm_shuffle_epi32(Load(reinterpret_cast<const unsigned char*>(state)), 0xB1);
  const __m128i efgh =
      _mm_shuffle_epi32(Load(reinterpret_cast<const unsigned char*>(state + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);
  const unsigned char* k = reinterpret_cast<const unsigned char*>(kSha256RoundConstants);

  for (; count != 0; --count, blocks += 64) {
    const __m128i abef_saved = abef, cdgh_saved = cdgh;
    __m128i m[4];
    for (int q = 0; q < 4; ++q) m[q] = _mm_shuffle_epi8(Load(blocks + 16 * q), swap);
#define CORVANA_SHA256_GROUP(g)                                                               \
  do {                                                                                        \
    if (g >= 4) {                                                                             \
      const __m128i w7 = _mm_alignr_epi8(m[(g + 3) & 3], m[(g + 2) & 3], 4);                  \
      m[g & 3] = _mm_sha256msg2_epu32(                                                        \
          _mm_add_epi32(_mm_sha256msg1_epu32(m[g & 3], m[(g + 1) & 3]), w7), m[(g + 3) & 3]); \
    }                                                                                         \
    const __m128i wk = _mm_add_epi32(m[g & 3], Load(k + 16 * g));                             \
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);                                             \
    abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wk, 0x0E));                    \
  } while (0)
    CORVANA_SHA256_GROUP(0);
    CORVANA_SHA256_GROUP(1);
    CORVANA_SHA256_GROUP(2);
    CORVANA_SHA256_GROUP(3);
    CORVANA_SHA256_GROUP(4);
    CORVANA_SHA256_GROUP(5);
    CORVANA_SHA256_GROUP(6);
    CORVANA_SHA256_GROUP(7);
    CORVANA_SHA256_GROUP(8);
    CORVANA_SHA256_GROUP(9);
    CORVANA_SHA256_GROUP(10);
    CORVANA_SHA256_GROUP(11);
    CORVANA_SHA256_GROUP(12);
    CORVANA_SHA256_GROUP(13);
    CORVANA_SHA256_GROUP(14);
    CORVANA_SHA256_GROUP(15);
#undef CORVANA_SHA256_GROUP
    abef = _mm_add_epi32(abef, abef_saved);
    cdgh = _mm_add_epi32(cdgh, cdgh_saved);
  }
  // Back to a..d and e..h in memory order.
  const __m128i t_abef = _mm_shuffle_epi32(abef, 0x1B);  // lanes: A B E F
  const __m128i t_cdgh = _mm_shuffle_epi32(cdgh, 0x1B);  // lanes: C D G H
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_unpacklo_epi64(t_abef, t_cdgh));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_unpackhi_epi64(t_abef, t_cdgh));
}

#endif
