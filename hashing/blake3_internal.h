// What the BLAKE3 paths share: the initial value, the domain flags and the
// order in which each of the seven rounds reads the sixteen message words.
#pragma once

#include <cstdint>

namespace blake3 {

// The initial value of SHA-256.
inline constexpr uint32_t kIv[8] = {0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au,
                                    0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u};

enum Flags : uint8_t {
  kChunkStart = 1,
  kChunkEnd = 2,
  kParent = 4,
  kRoot = 8,
};

// After each round the message words are permuted: word i of the next
// round is word kPermutation[i] of this one.
inline constexpr uint8_t kPermutation[16] = {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14, 15, 8};

struct Schedule {
  uint8_t word[7][16];
};

constexpr Schedule MakeSchedule() {
  Schedule s{};
  for (int i = 0; i < 16; ++i) s.word[0][i] = static_cast<uint8_t>(i);
  for (int r = 1; r < 7; ++r) {
    for (int i = 0; i < 16; ++i) s.word[r][i] = s.word[r - 1][kPermutation[i]];
  }
  return s;
}

// kSchedule.word[r][i]: the original message word that round r reads as its
// i-th word.
inline constexpr Schedule kSchedule = MakeSchedule();

inline uint32_t LoadLittle32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreLittle32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// The compression function: `cv` and the 64-byte `block` (zero-padded to
// `blockLength` bytes) with the counter and flags; writes the first eight
// words of the result (the new chaining value, or the first 32 output bytes
// when the flags include kRoot).
void Compress(const uint32_t cv[8], const unsigned char block[64], uint8_t blockLength,
              uint64_t counter, uint8_t flags, uint32_t out[8]);

}  // namespace blake3
