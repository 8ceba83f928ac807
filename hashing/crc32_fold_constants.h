// Constants of the carry-less multiply folding, derived at compile time.
//
// A CRC register in the reflected form holds a polynomial of degree < 32 with
// bit 31 as the coefficient of x^0 and bit 0 as that of x^31. Multiplying it by
// x modulo P(x) is one step of the bitwise CRC: shift right, and XOR the
// reflected polynomial 0xEDB88320 when the bit shifted out was set. So x^n mod
// P(x) in this form is 0x80000000 (the polynomial 1) taken through n steps.
//
// Folding a 128-bit lane forward by D bits multiplies its low 64 bits (the
// earlier, higher-degree half) by x^(D+32) mod P and its high 64 bits by
// x^(D-32) mod P. Both factors and the data are reflected, and the carry-less
// product of two reflected 64-bit values lands one bit too low, which the
// extra shift left by one makes up for; hence FoldConstant(n) below.
//
// The final reduction from 64 to 32 bits is a Barrett reduction with
// mu = floor(x^64 / P(x)) and P(x) itself, both 33-bit values reflected over
// 33 bits.
#pragma once

#include <cstdint>

namespace crc32_fold {

constexpr uint32_t kReflectedPoly = 0xEDB88320u;

constexpr uint32_t XPowModP(uint32_t n) {
  uint32_t c = 0x80000000u;
  for (uint32_t i = 0; i < n; ++i) c = (c >> 1) ^ ((c & 1) ? kReflectedPoly : 0);
  return c;
}

constexpr uint64_t FoldConstant(uint32_t n) {
  return static_cast<uint64_t>(XPowModP(n)) << 1;
}

constexpr uint64_t Reflect(uint64_t v, int bits) {
  uint64_t r = 0;
  for (int i = 0; i < bits; ++i) r |= ((v >> i) & 1) << (bits - 1 - i);
  return r;
}

// floor(x^64 / P(x)) by long division over GF(2), P in the normal form with
// its x^32 term (0x104C11DB7); the quotient has degree 32.
constexpr uint64_t QuotientX64() {
  constexpr uint64_t p = 0x104C11DB7ull;
  // The dividend x^64 does not fit in 64 bits: start with its top term
  // already divided once (x^64 - x^32 * P leaves P's low terms shifted by 32).
  uint64_t rem = (p & 0xFFFFFFFFull) << 32;  // x^64 + x^32*P, degree < 64
  uint64_t q = 1ull << 32;
  for (int bit = 63; bit >= 32; --bit) {
    if ((rem >> bit) & 1) {
      q |= 1ull << (bit - 32);
      rem ^= p << (bit - 32);
    }
  }
  return q;
}

// Distances of the folds: four 128-bit lanes (512 bits) and twice that, two
// lanes (256), one lane (128), and four 512-bit registers (2048).
constexpr uint64_t kFold512Lo = FoldConstant(512 + 32);
constexpr uint64_t kFold512Hi = FoldConstant(512 - 32);
constexpr uint64_t kFold1024Lo = FoldConstant(1024 + 32);
constexpr uint64_t kFold1024Hi = FoldConstant(1024 - 32);
constexpr uint64_t kFold256Lo = FoldConstant(256 + 32);
constexpr uint64_t kFold256Hi = FoldConstant(256 - 32);
constexpr uint64_t kFold128Lo = FoldConstant(128 + 32);
constexpr uint64_t kFold128Hi = FoldConstant(128 - 32);
constexpr uint64_t kFold2048Lo = FoldConstant(2048 + 32);
constexpr uint64_t kFold2048Hi = FoldConstant(2048 - 32);
// 64 to 32 bits: the high 32 bits of the remaining 64 move down by x^64.
constexpr uint64_t kFold64 = FoldConstant(64);
constexpr uint64_t kBarrettMu = Reflect(QuotientX64(), 33);
constexpr uint64_t kBarrettPoly = Reflect(0x104C11DB7ull, 33);

}  // namespace crc32_fold
