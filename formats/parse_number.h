// Number parsing with the rules of the C library's strtoul, at fixed widths
// so that the result is the same on every platform (unsigned long is 32 bits
// on Windows and 64 bits elsewhere).
#pragma once

#include <cstdint>

// strtoul widened to 64 bits: leading white space skipped, an optional "+" or
// "-", digits of `base` (16 also takes a "0x"/"0X" prefix; 0 picks 8, 10 or 16
// from the prefix); stops at the first non-digit; no digit gives 0; overflow
// gives 2^64 - 1; a leading "-" negates the result modulo 2^64.
uint64_t ParseUInt64(const char* text, int base);

// strtoul in base 16 with 32-bit results, as the readers parse CRC-32 values:
// overflow gives 0xFFFFFFFF, a leading "-" negates modulo 2^32.
uint32_t ParseHex32(const char* text);

// White space as the C library's isspace in the C locale: space, tab, line
// feed, vertical tab, form feed, carriage return.
inline bool IsListSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
