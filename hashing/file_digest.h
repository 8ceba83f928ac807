// One file's checksum while its blocks are fed in file order, whatever the
// algorithm: the engines that read files call these three functions and
// never an algorithm's own calls (they go through hashing/digest.h).
#pragma once

#include <cstdint>

#include "hashing/digest_algorithm.h"
#include "hashing/digest.h"

// The running state of one file's checksum.
struct FileDigest {
  DigestContext Context;
};

// The finished checksum. Bytes holds DigestBytes(algorithm) bytes in the
// order a list prints them: for CRC-32 the word's high byte first.
struct DigestValue {
  DigestAlgorithm Algorithm;
  uint32_t Crc;  // CRC-32 only: the finished (complemented) word
  unsigned char Bytes[kMaxDigestBytes];
};

// True for every algorithm of DigestAlgorithm.
bool DigestAvailable(DigestAlgorithm algorithm);

// Starts a file. Only for an available algorithm.
void BeginFileDigest(FileDigest* digest, DigestAlgorithm algorithm);
// Feeds the next `length` bytes of the file; any split gives the same value.
void FeedFileDigest(FileDigest* digest, const void* data, uint32_t length);
// Finishes the file into `out`; the state must be begun again before reuse.
void FinishFileDigest(FileDigest* digest, DigestValue* out);
