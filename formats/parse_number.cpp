#include "formats/parse_number.h"

namespace {

int DigitOf(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// The shared scan: returns the magnitude, clamped to `limit` on overflow.
uint64_t Parse(const char* text, int base, uint64_t limit) {
  const char* s = text;
  while (IsListSpace(*s)) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') {
    negative = *s == '-';
    ++s;
  }
  if (base == 0) {
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && DigitOf(s[2]) < 16) {
      base = 16;
      s += 2;
    } else if (s[0] == '0') {
      base = 8;
    } else {
      base = 10;
    }
  } else if (base == 16 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && DigitOf(s[2]) < 16) {
    // "0x" with no hex digit behind it reads as the number 0 ending at "x".
    s += 2;
  }
  if (base < 2 || base > 36) return 0;
  const uint64_t b = static_cast<uint64_t>(base);
  uint64_t value = 0;
  bool overflow = false;
  for (;; ++s) {
    const int d = DigitOf(*s);
    if (d >= base) break;
    if (overflow) continue;
    if (value > (limit - static_cast<uint64_t>(d)) / b) {
      overflow = true;
      continue;
    }
    value = value * b + static_cast<uint64_t>(d);
  }
  if (overflow) return limit;
  return negative ? (0 - value) & limit : value;
}

}  // namespace

uint64_t ParseUInt64(const char* text, int base) {
  return Parse(text, base, ~uint64_t{0});
}

uint32_t ParseHex32(const char* text) {
  return static_cast<uint32_t>(Parse(text, 16, 0xFFFFFFFFu));
}
