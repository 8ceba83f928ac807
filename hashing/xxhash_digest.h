// XXH32, XXH64, XXH3 (64-bit) and XXH128 of the reference library (xxHash
// 0.8.1, third_party/xxhash), each from seed 0, behind the three steps of
// the digest interface (hashing/digest.h calls these; nothing else should).
//
//   XxhInitWith(state, algorithm, kernels) starts a message; XXH3 and
//     XXH128 run the accumulation of `kernels` (the AVX2 loop where the
//     processor has it), XXH32 and XXH64 have one scalar loop.
//   XxhUpdate(state, data, length) appends any number of bytes; pieces of
//     any sizes give the digest of one call.
//   XxhFinal(state, out) writes the digest in the order xxhsum prints it,
//     the canonical big-endian form: 4 bytes XXH32, 8 XXH64 and XXH3, 16
//     XXH128 (its high half first). The state must be started again after.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/digest_algorithm.h"
#include "hashing/digest_kernels.h"

// Room for the library's largest streaming state (XXH3's, which wants
// 64-byte alignment for its accumulators), and the algorithm's own calls.
struct XxhState {
  alignas(64) unsigned char bytes[kXxh3StateBytes];
  DigestAlgorithm algorithm;
  Xxh3UpdateFunction update;
  Xxh3DigestFunction digest;
};

void XxhInitWith(XxhState* state, DigestAlgorithm algorithm, const DigestKernels& kernels);
void XxhUpdate(XxhState* state, const void* data, size_t length);
void XxhFinal(XxhState* state, unsigned char* out);
