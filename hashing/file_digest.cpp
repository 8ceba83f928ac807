#include "hashing/file_digest.h"

#include <cstring>

#include "hashing/crc32.h"

bool DigestAvailable(DigestAlgorithm algorithm) {
  return algorithm == DigestAlgorithm::Crc32 || algorithm == DigestAlgorithm::Md5;
}

void BeginFileDigest(FileDigest* digest, DigestAlgorithm algorithm) {
  digest->Algorithm = algorithm;
  digest->Crc = 0xFFFFFFFF;
  if (algorithm == DigestAlgorithm::Md5) MD5Init(&digest->Md5);
}

void FeedFileDigest(FileDigest* digest, const void* data, uint32_t length) {
  if (digest->Algorithm == DigestAlgorithm::Md5) {
    MD5Update(&digest->Md5, data, length);
  } else {
    digest->Crc = UpdateCRC32(digest->Crc, data, length);
  }
}

void FinishFileDigest(FileDigest* digest, DigestValue* out) {
  std::memset(out, 0, sizeof *out);
  out->Algorithm = digest->Algorithm;
  if (digest->Algorithm == DigestAlgorithm::Md5) {
    MD5Final(out->Bytes, &digest->Md5);
    return;
  }
  out->Crc = ~digest->Crc;
  for (int i = 0; i < 4; ++i) out->Bytes[i] = static_cast<unsigned char>(out->Crc >> (24 - 8 * i));
}
