// XXH3 and XXH128 with the library's AVX2 accumulation, for processors that
// have it: the whole copy of the library in this file is built for AVX2, and
// only called after the processor was asked (DigestKernelsFor).
#include "hashing/digest_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

// Everything the library includes comes first, so that only its own
// functions are built for AVX2.
#include <assert.h>
#include <immintrin.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#define XXH_VECTOR 2  // XXH_AVX2
#define CORVANA_XXH3_UPDATE Xxh3UpdateAvx2
#define CORVANA_XXH3_DIGEST64 Xxh3Digest64Avx2
#define CORVANA_XXH3_DIGEST128 Xxh3Digest128Avx2
#include "hashing/xxh3_paths_inline.h"

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
