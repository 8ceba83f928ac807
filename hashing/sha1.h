// SHA-1 of FIPS 180-4.
//
// Contract: Sha1Init starts a message; Sha1Update appends `length` bytes
// (any split of a message into calls gives the same digest, a zero length
// changes nothing); Sha1Final pads the message, writes the 20-byte digest in
// the standard's byte order (the first byte is the high byte of H0) and leaves
// the context to be started again with Sha1Init. The block function is taken
// at Init: the fastest this processor runs, or the one of `kernels`.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/digest_kernels.h"

struct Sha1Context {
  uint32_t state[5];
  uint64_t length;  // bytes so far
  unsigned char buffer[64];
  Sha1BlocksFunction blocks;
};

void Sha1Init(Sha1Context* ctx);
void Sha1InitWith(Sha1Context* ctx, const DigestKernels& kernels);
void Sha1Update(Sha1Context* ctx, const void* data, size_t length);
void Sha1Final(Sha1Context* ctx, unsigned char digest[20]);
