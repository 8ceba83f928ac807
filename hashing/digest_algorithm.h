// The checksums a list can carry, and how long each one's digest is. CRC-32
// is kept apart (a 32-bit word, not a digest of bytes) by the lists that use
// it; every other algorithm yields the bytes that a list prints in hex.
#pragma once

#include <cstdint>

enum class DigestAlgorithm : uint8_t {
  Crc32,
  Md5,
  Sha1,
  Sha256,
  Sha512,
  Blake3,
  Xxh32,
  Xxh64,
  Xxh3,  // XXH3 with its 64-bit digest
  Xxh128,
};

// The longest digest any algorithm yields (SHA-512).
constexpr int kMaxDigestBytes = 64;

// Bytes of one digest: 4 for CRC-32, 16 MD5, 20 SHA-1, 32 SHA-256 and BLAKE3
// (its default output length), 64 SHA-512; 4 XXH32, 8 XXH64 and XXH3, 16
// XXH128.
constexpr int DigestBytes(DigestAlgorithm a) {
  switch (a) {
    case DigestAlgorithm::Crc32:
      return 4;
    case DigestAlgorithm::Md5:
      return 16;
    case DigestAlgorithm::Sha1:
      return 20;
    case DigestAlgorithm::Sha256:
      return 32;
    case DigestAlgorithm::Sha512:
      return 64;
    case DigestAlgorithm::Blake3:
      return 32;
    case DigestAlgorithm::Xxh32:
      return 4;
    case DigestAlgorithm::Xxh64:
    case DigestAlgorithm::Xxh3:
      return 8;
    case DigestAlgorithm::Xxh128:
      return 16;
  }
  return 0;
}
