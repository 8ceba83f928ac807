#include "hashing/xxhash_digest.h"

#include <cstring>

// The library's own choice of accumulation: SSE2 on x86-64, scalar on i686.
#define CORVANA_XXH3_UPDATE Xxh3UpdateDefault
#define CORVANA_XXH3_DIGEST64 Xxh3Digest64Default
#define CORVANA_XXH3_DIGEST128 Xxh3Digest128Default
#include "hashing/xxh3_paths_inline.h"

#if XXH_VECTOR == XXH_SSE2
const char* const kXxh3DefaultName = "sse2";
#else
const char* const kXxh3DefaultName = "scalar";
#endif

static_assert(sizeof(XXH32_state_t) <= kXxh3StateBytes && sizeof(XXH64_state_t) <= kXxh3StateBytes,
              "every state fits the room");

void XxhInitWith(XxhState* state, DigestAlgorithm algorithm, const DigestKernels& kernels) {
  state->algorithm = algorithm;
  state->update = kernels.xxh3Update;
  state->digest =
      algorithm == DigestAlgorithm::Xxh128 ? kernels.xxh3Digest128 : kernels.xxh3Digest64;
  void* bytes = state->bytes;
  switch (algorithm) {
    case DigestAlgorithm::Xxh32:
      XXH32_reset(static_cast<XXH32_state_t*>(bytes), 0);
      break;
    case DigestAlgorithm::Xxh64:
      XXH64_reset(static_cast<XXH64_state_t*>(bytes), 0);
      break;
    default:
      // XXH3 and XXH128 start alike (XXH3_128bits_reset is the same reset).
      XXH3_64bits_reset(static_cast<XXH3_state_t*>(bytes));
      break;
  }
}

void XxhUpdate(XxhState* state, const void* data, size_t length) {
  if (length == 0) return;
  void* bytes = state->bytes;
  switch (state->algorithm) {
    case DigestAlgorithm::Xxh32:
      XXH32_update(static_cast<XXH32_state_t*>(bytes), data, length);
      break;
    case DigestAlgorithm::Xxh64:
      XXH64_update(static_cast<XXH64_state_t*>(bytes), data, length);
      break;
    default:
      state->update(bytes, static_cast<const unsigned char*>(data), length);
      break;
  }
}

void XxhFinal(XxhState* state, unsigned char* out) {
  const void* bytes = state->bytes;
  switch (state->algorithm) {
    case DigestAlgorithm::Xxh32: {
      XXH32_canonical_t canonical;
      XXH32_canonicalFromHash(&canonical, XXH32_digest(static_cast<const XXH32_state_t*>(bytes)));
      std::memcpy(out, canonical.digest, sizeof canonical.digest);
      break;
    }
    case DigestAlgorithm::Xxh64: {
      XXH64_canonical_t canonical;
      XXH64_canonicalFromHash(&canonical, XXH64_digest(static_cast<const XXH64_state_t*>(bytes)));
      std::memcpy(out, canonical.digest, sizeof canonical.digest);
      break;
    }
    default:
      state->digest(bytes, out);
      break;
  }
}
