// One interface to every digest a list can carry, for the callers that hash
// a file without caring which algorithm its list names.
//
// Contract:
//   DigestInit(ctx, algorithm) starts a message of `algorithm` in `ctx`, a
//     plain record of the caller's (stack, array or member; no heap), using
//     the fastest code this processor runs. DigestInitWith takes the code of
//     `kernels` instead (tests and benchmarks force a path this way).
//   DigestUpdate(ctx, data, length) appends `length` bytes, any length from
//     zero up (zero changes nothing). Feeding a message in pieces of any
//     sizes gives the same digest as one call.
//   DigestFinal(ctx, out) writes DigestBytes(ctx->algorithm) bytes to `out`
//     (room for kMaxDigestBytes is always enough) and ends the message: ctx
//     must be started again with DigestInit before it is used once more.
//   The digest is in the byte order that lists print in hex, first byte
//     first: MD5 as RFC 1321, SHA-1/256/512 as FIPS 180-4, BLAKE3 its first
//     32 bytes of output, the XXH family in xxhsum's canonical (big-endian)
//     form, XXH128 its high half first. CRC-32 (the checksum of SFV lists) comes as its
//     4 bytes big-endian, so the hex text is the usual 8 digits (the CRC of
//     "123456789" gives CB F4 39 26).
//   A context belongs to one thread at a time; different contexts may be
//   used on different threads at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/blake3.h"
#include "hashing/digest_algorithm.h"
#include "hashing/digest_kernels.h"
#include "hashing/md5.h"
#include "hashing/sha1.h"
#include "hashing/sha256.h"
#include "hashing/sha512.h"
#include "hashing/xxhash_digest.h"

struct DigestContext {
  DigestAlgorithm algorithm;
  union {
    uint32_t crc;  // the running register, not yet complemented
    MD5_CTX md5;
    Sha1Context sha1;
    Sha256Context sha256;
    Sha512Context sha512;
    Blake3Hasher blake3;
    XxhState xxh;  // XXH32, XXH64, XXH3 and XXH128
  } state;
};

void DigestInit(DigestContext* ctx, DigestAlgorithm algorithm);
void DigestInitWith(DigestContext* ctx, DigestAlgorithm algorithm, const DigestKernels& kernels);
void DigestUpdate(DigestContext* ctx, const void* data, size_t length);
void DigestFinal(DigestContext* ctx, unsigned char out[kMaxDigestBytes]);
