// The sixteen tables of slicing-by-16, built at compile time: table k holds
// the CRC of a byte followed by k zero bytes, table 0 is BigTable. Only the slicing
// path (crc32_slice16.cpp) uses them.
#pragma once

#include <cstdint>

namespace crc32_slice {

struct SliceTables {
  uint32_t t[16][256];
};

constexpr SliceTables MakeSliceTables() {
  SliceTables s{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ ((c & 1) ? 0xEDB88320u : 0);
    s.t[0][i] = c;
  }
  for (int k = 1; k < 16; ++k)
    for (uint32_t i = 0; i < 256; ++i)
      s.t[k][i] = (s.t[k - 1][i] >> 8) ^ s.t[0][s.t[k - 1][i] & 0xFF];
  return s;
}

inline constexpr SliceTables kSlice = MakeSliceTables();

// Little-endian load from any address; compilers turn it into one load.
inline uint32_t LoadLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The register after sixteen more bytes. The twelve lookups of the last three
// words do not wait for the running value, so they are summed on their own;
// only the four of the first word stand on the chain from one step to the
// next.
inline uint32_t Slice16Step(uint32_t crc, const unsigned char* p) {
  const auto& t = kSlice.t;
  const uint32_t w1 = LoadLe32(p + 4);
  const uint32_t w2 = LoadLe32(p + 8);
  const uint32_t w3 = LoadLe32(p + 12);
  const uint32_t a =
      (t[11][w1 & 0xFF] ^ t[10][(w1 >> 8) & 0xFF]) ^ (t[9][(w1 >> 16) & 0xFF] ^ t[8][w1 >> 24]);
  const uint32_t b =
      (t[7][w2 & 0xFF] ^ t[6][(w2 >> 8) & 0xFF]) ^ (t[5][(w2 >> 16) & 0xFF] ^ t[4][w2 >> 24]);
  const uint32_t c =
      (t[3][w3 & 0xFF] ^ t[2][(w3 >> 8) & 0xFF]) ^ (t[1][(w3 >> 16) & 0xFF] ^ t[0][w3 >> 24]);
  const uint32_t w0 = LoadLe32(p) ^ crc;
  const uint32_t d =
      (t[15][w0 & 0xFF] ^ t[14][(w0 >> 8) & 0xFF]) ^ (t[13][(w0 >> 16) & 0xFF] ^ t[12][w0 >> 24]);
  return d ^ (a ^ b ^ c);
}

}  // namespace crc32_slice
