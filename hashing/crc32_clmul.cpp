// Carry-less multiply folding over four 128-bit lanes (PCLMULQDQ, SSE4.1):
// each lane is moved 512 bits forward and XORed into the next 64 bytes, the
// lanes are folded into one, and the remainder is reduced to the register.
#include "hashing/crc32_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include "hashing/crc32_clmul_inline.h"

CORVANA_REALIGN_STACK CORVANA_CLMUL_TARGET uint32_t UpdateCRC32Clmul(uint32_t crc, const void* data,
                                                                     uint32_t length) {
  using namespace crc32_fold;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if (length < 64) return UpdateCRC32Slice16(crc, p, length);

  __m128i x0 = _mm_xor_si128(LoadBlock(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = LoadBlock(p + 16);
  __m128i x2 = LoadBlock(p + 32);
  __m128i x3 = LoadBlock(p + 48);
  p += 64;
  length -= 64;

  // Two blocks of 64 bytes per step: the second-to-last block is folded 512
  // bits into the last one apart from the lanes, so each lane waits for only
  // one multiply per 128 bytes.
  const __m128i k512 = ClmulPair(kFold512Lo, kFold512Hi);
  const __m128i k1024 = ClmulPair(kFold1024Lo, kFold1024Hi);
  for (; length >= 128; length -= 128, p += 128) {
    x0 = Fold128(x0, k1024, Fold128(LoadBlock(p), k512, LoadBlock(p + 64)));
    x1 = Fold128(x1, k1024, Fold128(LoadBlock(p + 16), k512, LoadBlock(p + 80)));
    x2 = Fold128(x2, k1024, Fold128(LoadBlock(p + 32), k512, LoadBlock(p + 96)));
    x3 = Fold128(x3, k1024, Fold128(LoadBlock(p + 48), k512, LoadBlock(p + 112)));
  }
  if (length >= 64) {
    x0 = Fold128(x0, k512, LoadBlock(p));
    x1 = Fold128(x1, k512, LoadBlock(p + 16));
    x2 = Fold128(x2, k512, LoadBlock(p + 32));
    x3 = Fold128(x3, k512, LoadBlock(p + 48));
    length -= 64;
    p += 64;
  }

  const __m128i k128 = ClmulPair(kFold128Lo, kFold128Hi);
  x0 = Fold128(x0, k128, x1);
  x0 = Fold128(x0, k128, x2);
  x0 = Fold128(x0, k128, x3);
  return FinishFold128(x0, p, length);
}

#else

uint32_t UpdateCRC32Clmul(uint32_t crc, const void* data, uint32_t length) {
  return UpdateCRC32Slice16(crc, data, length);
}

#endif
