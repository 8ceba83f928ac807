// BLAKE3 (the hash mode, 32-byte output) as its authors describe it: the input
// is cut into 1024-byte chunks, each chunk's sixteen blocks are compressed
// into a chaining value, and the chaining values are paired into a binary tree
// whose left subtrees are always full; the root node is compressed once more
// with the root flag, and its first 32 bytes are the digest.
//
// Contract of the incremental hasher: Blake3Init starts a message;
// Blake3Update appends `length` bytes (any split of a message into calls gives
// the same digest, a zero length changes nothing); Blake3Final writes the
// 32-byte digest and leaves the hasher unchanged, so more input may follow and
// a later Final covers it too. Large updates hash many chunks side by side on
// the widest vector path of the processor (or of `kernels`, given at Init).
// The record is plain and needs no heap: its stack holds one chaining value
// per level of the tree, enough for 2^64 bytes.
//
// Several threads share one large message through subtrees: a subtree is a
// power-of-two number of whole chunks starting at a chunk index that is a
// multiple of that number. Blake3HashSubtree turns one into its chaining
// value on any thread; Blake3AppendSubtree hands the values to a hasher in
// message order; the message's last chunk (or its last byte) always goes
// through Blake3Update, so that the root is known. Blake3LargestSubtree says
// how the whole chunks of a message are cut into such subtrees.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/digest_kernels.h"

constexpr size_t kBlake3ChunkBytes = 1024;
constexpr size_t kBlake3BlockBytes = 64;
constexpr int kBlake3MaxDepth = 54;  // levels of a tree of 2^64 bytes

struct Blake3Hasher {
  uint32_t key[8];
  // The chunk being filled: its chaining value so far, its index, the blocks
  // compressed into it and the bytes of the next block.
  uint32_t chunkCv[8];
  uint64_t chunkCounter;
  unsigned char block[kBlake3BlockBytes];
  uint8_t blockLength;
  uint8_t blocksCompressed;
  // Chaining values of the complete subtrees left of the current chunk, from
  // the left; merged only once more input shows that they are not the root.
  uint8_t stackLength;
  unsigned char stack[kBlake3MaxDepth + 1][32];
  Blake3HashManyFunction hashMany;
  unsigned lanes;
};

void Blake3Init(Blake3Hasher* hasher);
void Blake3InitWith(Blake3Hasher* hasher, const DigestKernels& kernels);
void Blake3Update(Blake3Hasher* hasher, const void* data, size_t length);
void Blake3Final(const Blake3Hasher* hasher, unsigned char digest[32]);

// The chaining value of the subtree of `length / 1024` chunks at `data`,
// whose first chunk has index `chunkCounter`. `length` is a power of two
// times 1024 and `chunkCounter` a multiple of `length / 1024`; the subtree is
// never the whole message (its value is not the root).
void Blake3HashSubtree(const unsigned char* data, size_t length, uint64_t chunkCounter,
                       unsigned char cv[32]);
void Blake3HashSubtreeWith(const DigestKernels& kernels, const unsigned char* data, size_t length,
                           uint64_t chunkCounter, unsigned char cv[32]);

// Appends the subtree of `chunks` chunks whose value is `cv` at the hasher's
// position, as though its bytes had gone through Blake3Update. The hasher must
// stand at a chunk boundary (a multiple of 1024 bytes so far) that is a
// multiple of `chunks` chunks, and input must follow.
void Blake3AppendSubtree(Blake3Hasher* hasher, const unsigned char cv[32], uint64_t chunks);

// The largest subtree (in chunks) that may start at chunk index
// `chunkCounter` when `availableChunks` whole chunks (at least one) follow.
uint64_t Blake3LargestSubtree(uint64_t chunkCounter, uint64_t availableChunks);
