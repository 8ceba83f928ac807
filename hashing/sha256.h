// SHA-256 of FIPS 180-4.
//
// Contract: Sha256Init starts a message; Sha256Update appends `length` bytes
// (any split of a message into calls gives the same digest, a zero length
// changes nothing); Sha256Final pads the message, writes the 32-byte digest in
// the standard's byte order (the first byte is the high byte of H0) and leaves
// the context to be started again with Sha256Init. The block function is
// taken at Init: the fastest this processor runs, or the one of `kernels`.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/digest_kernels.h"

struct Sha256Context {
  uint32_t state[8];
  uint64_t length;  // bytes so far
  unsigned char buffer[64];
  Sha256BlocksFunction blocks;
};

void Sha256Init(Sha256Context* ctx);
void Sha256InitWith(Sha256Context* ctx, const DigestKernels& kernels);
void Sha256Update(Sha256Context* ctx, const void* data, size_t length);
void Sha256Final(Sha256Context* ctx, unsigned char digest[32]);

// The round constants K of the standard (the first 32 bits of the fractional
// parts of the cube roots of the first 64 primes), shared with the SHA
// extension path.
extern const uint32_t kSha256RoundConstants[64];
