// SHA-512 of FIPS 180-4.
//
// Contract: Sha512Init starts a message; Sha512Update appends `length` bytes
// (any split of a message into calls gives the same digest, a zero length
// changes nothing); Sha512Final pads the message (128-bit length), writes the
// 64-byte digest in the standard's byte order (the first byte is the high
// byte of H0) and leaves the context to be started again with Sha512Init.
// The block function is taken at Init: the fastest this processor runs, or
// the one of `kernels`.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/digest_kernels.h"

struct Sha512Context {
  uint64_t state[8];
  uint64_t length;  // bytes so far; messages stay below 2^64 bytes
  unsigned char buffer[128];
  Sha512BlocksFunction blocks;
};

void Sha512Init(Sha512Context* ctx);
void Sha512InitWith(Sha512Context* ctx, const DigestKernels& kernels);
void Sha512Update(Sha512Context* ctx, const void* data, size_t length);
void Sha512Final(Sha512Context* ctx, unsigned char digest[64]);

// The round constants K of the standard, shared with the vector path.
extern const uint64_t kSha512RoundConstants[80];
