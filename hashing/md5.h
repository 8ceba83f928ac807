// MD5 of RFC 1321 with its original calling contract.
//
// MD5Final takes the digest first and the context second, writes the four
// state words as little-endian bytes (digest byte 0 is the low byte of the
// first word, the first pair of hex digits when printed) and clears the state
// words afterwards. Lengths are 32-bit; feeding data in pieces of any sizes
// gives the same digest as one call.
#pragma once

#include <cstdint>

struct MD5_CTX {
  uint32_t state[4];
  uint32_t count[2];  // number of input bits, low word first
  unsigned char buffer[64];
};

extern const unsigned char PADDING[64];

void MD5Init(MD5_CTX* context);
void MD5Update(MD5_CTX* context, const void* input, uint32_t length);
void MD5Final(unsigned char digest[16], MD5_CTX* context);
void MD5Transform(uint32_t state[4], const unsigned char block[64]);
