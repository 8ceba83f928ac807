#include "hashing/file_digest.h"

#include <cstring>

bool DigestAvailable(DigestAlgorithm algorithm) {
  return DigestBytes(algorithm) > 0;
}

void BeginFileDigest(FileDigest* digest, DigestAlgorithm algorithm) {
  DigestInit(&digest->Context, algorithm);
}

void FeedFileDigest(FileDigest* digest, const void* data, uint32_t length) {
  DigestUpdate(&digest->Context, data, length);
}

void FinishFileDigest(FileDigest* digest, DigestValue* out) {
  std::memset(out, 0, sizeof *out);
  out->Algorithm = digest->Context.algorithm;
  DigestFinal(&digest->Context, out->Bytes);
  if (out->Algorithm == DigestAlgorithm::Crc32)
    out->Crc = (uint32_t{out->Bytes[0]} << 24) | (uint32_t{out->Bytes[1]} << 16) |
               (uint32_t{out->Bytes[2]} << 8) | out->Bytes[3];
}
