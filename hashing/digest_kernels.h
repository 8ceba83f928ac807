// The interchangeable inner loops behind the SHA and BLAKE3 digests, and the
// table that names the set one processor runs. Every function of a kind gives
// the same result; the table only decides how fast. Tests and benchmarks ask
// for the table of a smaller processor (DigestKernelsFor with fewer features)
// to run each path on this one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/cpu_features.h"

// Runs the compression function over `count` consecutive blocks (64 bytes
// for SHA-1 and SHA-256, 128 for SHA-512), updating `state` in place.
using Sha1BlocksFunction = void (*)(uint32_t state[5], const unsigned char* blocks, size_t count);
using Sha256BlocksFunction = void (*)(uint32_t state[8], const unsigned char* blocks, size_t count);
using Sha512BlocksFunction = void (*)(uint64_t state[8], const unsigned char* blocks, size_t count);

// Hashes `count` BLAKE3 inputs of `blocks` 64-byte blocks each, input i at
// `input + i * stride`, each from the chaining value `key`, and writes input
// i's chaining value (32 bytes) to `out + 32 * i`. Input i's counter is
// `counter + i` when `incrementCounter`, else `counter` for all. Every block
// carries `flags`; the first also `flagsStart`, the last also `flagsEnd`.
// Chunks are 16 blocks with the chunk flags; parents one block with the parent
// flag. `out` may not overlap the input.
using Blake3HashManyFunction = void (*)(const unsigned char* input, size_t stride, size_t count,
                                        size_t blocks, const uint32_t key[8], uint64_t counter,
                                        bool incrementCounter, uint8_t flags, uint8_t flagsStart,
                                        uint8_t flagsEnd, unsigned char* out);

// XXH3's streaming state is kXxh3StateBytes bytes at 64-byte alignment
// (hashing/xxhash_digest.h). Update appends `length` bytes to it; Digest
// writes the canonical (big-endian) bytes of the message so far, 8 for
// XXH3-64 and 16 for XXH128 (the same accumulation serves both).
constexpr size_t kXxh3StateBytes = 576;
using Xxh3UpdateFunction = void (*)(void* state, const unsigned char* data, size_t length);
using Xxh3DigestFunction = void (*)(const void* state, unsigned char* out);

struct DigestKernels {
  Sha1BlocksFunction sha1Blocks;
  Sha256BlocksFunction sha256Blocks;
  Sha512BlocksFunction sha512Blocks;
  Blake3HashManyFunction blake3HashMany;
  // Inputs blake3HashMany hashes side by side: 1, 4, 8 or 16.
  unsigned blake3Lanes;
  // Short names for test messages and benchmark labels.
  const char* shaName;
  const char* blake3Name;
  Xxh3UpdateFunction xxh3Update;
  Xxh3DigestFunction xxh3Digest64;
  Xxh3DigestFunction xxh3Digest128;
  const char* xxh3Name;
};

// The fastest set that a processor with features `f` runs. A test passes a
// reduced set of features to get a slower path: no features gives the
// portable code everywhere.
DigestKernels DigestKernelsFor(const CpuFeatures& f);

// The set for this processor, detected on the first call (the table is built
// once; threads that race on it build the same one).
const DigestKernels& ActiveDigestKernels();

// Portable code; runs everywhere.
void Sha1BlocksPortable(uint32_t state[5], const unsigned char* blocks, size_t count);
void Sha256BlocksPortable(uint32_t state[8], const unsigned char* blocks, size_t count);
void Sha512BlocksPortable(uint64_t state[8], const unsigned char* blocks, size_t count);
void Blake3HashManyPortable(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                            const uint32_t key[8], uint64_t counter, bool incrementCounter,
                            uint8_t flags, uint8_t flagsStart, uint8_t flagsEnd,
                            unsigned char* out);

// XXH3 and XXH128 as the library builds them without asking the processor:
// SSE2 on x86-64, scalar elsewhere (i686 among them).
void Xxh3UpdateDefault(void* state, const unsigned char* data, size_t length);
void Xxh3Digest64Default(const void* state, unsigned char* out);
void Xxh3Digest128Default(const void* state, unsigned char* out);
extern const char* const kXxh3DefaultName;

// The same in 256-bit registers (AVX2); x86 only.
void Xxh3UpdateAvx2(void* state, const unsigned char* data, size_t length);
void Xxh3Digest64Avx2(const void* state, unsigned char* out);
void Xxh3Digest128Avx2(const void* state, unsigned char* out);

// SHA-512 with the message schedule in vector registers and BMI2 rotates
// (AVX2 and BMI2); x86 only.
void Sha512BlocksAvx2(uint64_t state[8], const unsigned char* blocks, size_t count);

// The SHA extensions (with SSSE3 and SSE4.1); x86 only.
void Sha1BlocksShaNi(uint32_t state[5], const unsigned char* blocks, size_t count);
void Sha256BlocksShaNi(uint32_t state[8], const unsigned char* blocks, size_t count);

// BLAKE3 over 4 (SSE4.1), 8 (AVX2) and 16 (AVX-512F) inputs at once; each
// hands a remainder of fewer inputs to the next narrower path. x86 only.
void Blake3HashManySse41(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                         const uint32_t key[8], uint64_t counter, bool incrementCounter,
                         uint8_t flags, uint8_t flagsStart, uint8_t flagsEnd, unsigned char* out);
void Blake3HashManyAvx2(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                        const uint32_t key[8], uint64_t counter, bool incrementCounter,
                        uint8_t flags, uint8_t flagsStart, uint8_t flagsEnd, unsigned char* out);
void Blake3HashManyAvx512(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                          const uint32_t key[8], uint64_t counter, bool incrementCounter,
                          uint8_t flags, uint8_t flagsStart, uint8_t flagsEnd, unsigned char* out);
