// The XXH3 accumulation as the including file's compiler settings build it:
// the file sets XXH_VECTOR (or leaves the library to choose) and names the
// three functions it exports in CORVANA_XXH3_UPDATE, CORVANA_XXH3_DIGEST64 and
// CORVANA_XXH3_DIGEST128 before including this once. The library is compiled
// inline (XXH_INLINE_ALL), so each including file has its own copy, built for
// its own instruction set.
#pragma once

#include <cstddef>

#include "hashing/digest_kernels.h"

#define XXH_INLINE_ALL
#include "xxhash.h"

static_assert(sizeof(XXH3_state_t) <= kXxh3StateBytes, "the state fits its room");
static_assert(alignof(XXH3_state_t) <= 64, "the room's alignment serves the state");

// XXH3_64bits_update and XXH3_128bits_update are the same accumulation; the
// digests differ only in how they finish it.
void CORVANA_XXH3_UPDATE(void* state, const unsigned char* data, size_t length) {
  XXH3_64bits_update(static_cast<XXH3_state_t*>(state), data, length);
}

void CORVANA_XXH3_DIGEST64(const void* state, unsigned char* out) {
  XXH64_canonical_t canonical;
  XXH64_canonicalFromHash(&canonical, XXH3_64bits_digest(static_cast<const XXH3_state_t*>(state)));
  for (size_t i = 0; i < sizeof canonical.digest; ++i) out[i] = canonical.digest[i];
}

void CORVANA_XXH3_DIGEST128(const void* state, unsigned char* out) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical,
                           XXH3_128bits_digest(static_cast<const XXH3_state_t*>(state)));
  for (size_t i = 0; i < sizeof canonical.digest; ++i) out[i] = canonical.digest[i];
}
