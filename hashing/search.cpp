#include "hashing/search.h"

#include <cstring>

const unsigned char ToUpperTable[256] = {
#define CORVANA_FF8 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF
    // 0x00 - 0x5F
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    // 0x60 '`', then 'a' .. 'z', then 0x7B - 0x7F
    0xFF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xDF,
    0xFF,
    0xFF,
    0xFF,
    0xFF,
    0xFF,
    // 0x80 - 0xFF
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
    CORVANA_FF8,
#undef CORVANA_FF8
};

namespace {

inline unsigned char Fold(unsigned char c) {
  return c & ToUpperTable[c];
}

}  // namespace

const char* szSearchi(const char* buffer, uint32_t length, const char* pattern) {
  const size_t m = std::strlen(pattern);
  if (m == 0) return buffer;
  if (m > length) return nullptr;

  // Which folded byte values occur in the pattern. The value 0 is marked as
  // well, as it always has been; a zero byte in the buffer therefore only ever
  // advances the candidate by one.
  bool present[256] = {};
  present[0] = true;
  const unsigned char* pat = reinterpret_cast<const unsigned char*>(pattern);
  for (size_t i = 0; i < m; ++i) present[Fold(pat[i])] = true;

  const unsigned char* buf = reinterpret_cast<const unsigned char*>(buffer);
  const size_t last_start = length - m;
  size_t start = 0;
  while (start <= last_start) {
    size_t i = m;
    for (;;) {
      --i;
      const unsigned char b = Fold(buf[start + i]);
      if (b != Fold(pat[i])) {
        // A byte the pattern never holds cannot be part of any match that
        // covers it, so the next candidate starts just behind it.
        start += present[b] ? 1 : i + 1;
        break;
      }
      if (i == 0) return buffer + start;
    }
  }
  return nullptr;
}
