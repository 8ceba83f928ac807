#include "hashing/blake3.h"

#include <cstring>

#include "hashing/blake3_internal.h"

namespace blake3 {

namespace {

inline uint32_t Rotr(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

inline void G(uint32_t* v, int a, int b, int c, int d, uint32_t x, uint32_t y) {
  v[a] = v[a] + v[b] + x;
  v[d] = Rotr(v[d] ^ v[a], 16);
  v[c] = v[c] + v[d];
  v[b] = Rotr(v[b] ^ v[c], 12);
  v[a] = v[a] + v[b] + y;
  v[d] = Rotr(v[d] ^ v[a], 8);
  v[c] = v[c] + v[d];
  v[b] = Rotr(v[b] ^ v[c], 7);
}

}  // namespace

void Compress(const uint32_t cv[8], const unsigned char block[64], uint8_t blockLength,
              uint64_t counter, uint8_t flags, uint32_t out[8]) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = LoadLittle32(block + 4 * i);
  uint32_t v[16] = {cv[0],
                    cv[1],
                    cv[2],
                    cv[3],
                    cv[4],
                    cv[5],
                    cv[6],
                    cv[7],
                    kIv[0],
                    kIv[1],
                    kIv[2],
                    kIv[3],
                    static_cast<uint32_t>(counter),
                    static_cast<uint32_t>(counter >> 32),
                    blockLength,
                    flags};
  for (int r = 0; r < 7; ++r) {
    const uint8_t* s = kSchedule.word[r];
    G(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
    G(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
    G(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
    G(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
    G(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
    G(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
    G(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
    G(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
  }
  for (int i = 0; i < 8; ++i) out[i] = v[i] ^ v[i + 8];
}

}  // namespace blake3

using namespace blake3;

void Blake3HashManyPortable(const unsigned char* input, size_t stride, size_t count, size_t blocks,
                            const uint32_t key[8], uint64_t counter, bool incrementCounter,
                            uint8_t flags, uint8_t flagsStart, uint8_t flagsEnd,
                            unsigned char* out) {
  for (size_t i = 0; i < count; ++i, input += stride, out += 32) {
    uint32_t cv[8];
    std::memcpy(cv, key, sizeof cv);
    for (size_t b = 0; b < blocks; ++b) {
      const uint8_t f = static_cast<uint8_t>(flags | (b == 0 ? flagsStart : 0) |
                                             (b + 1 == blocks ? flagsEnd : 0));
      Compress(cv, input + 64 * b, 64, counter + (incrementCounter ? i : 0), f, cv);
    }
    for (int w = 0; w < 8; ++w) StoreLittle32(out + 4 * w, cv[w]);
  }
}

namespace {

// Chunks hashed side by side before their tree is reduced; the chaining
// values of one batch stay on the stack.
constexpr size_t kBatchChunks = 64;

void ParentCv(const uint32_t key[8], const unsigned char left[32], const unsigned char right[32],
              unsigned char cv[32]) {
  unsigned char block[64];
  std::memcpy(block, left, 32);
  std::memcpy(block + 32, right, 32);
  uint32_t words[8];
  Compress(key, block, 64, 0, kParent, words);
  for (int w = 0; w < 8; ++w) StoreLittle32(cv + 4 * w, words[w]);
}

// The chaining value of a subtree of `chunks` chunks (`outputs` 1), or the
// values of its two halves (`outputs` 2, chunks at least 2), which a hasher
// keeps apart while the subtree may still turn out to be the root.
void HashSubtreeTo(Blake3HashManyFunction hashMany, const uint32_t key[8],
                   const unsigned char* data, size_t chunks, uint64_t counter, unsigned char* out,
                   size_t outputs) {
  if (chunks > kBatchChunks) {
    unsigned char halves[64];
    const size_t half = chunks / 2;
    HashSubtreeTo(hashMany, key, data, half, counter, halves, 1);
    HashSubtreeTo(hashMany, key, data + half * kBlake3ChunkBytes, half, counter + half, halves + 32,
                  1);
    if (outputs == 2) {
      std::memcpy(out, halves, 64);
    } else {
      ParentCv(key, halves, halves + 32, out);
    }
    return;
  }
  unsigned char level[kBatchChunks * 32], next[kBatchChunks / 2 * 32];
  hashMany(data, kBlake3ChunkBytes, chunks, kBlake3ChunkBytes / kBlake3BlockBytes, key, counter,
           true, 0, kChunkStart, kChunkEnd, level);
  // Adjacent chaining values are the 64-byte blocks of their parents.
  for (; chunks > outputs; chunks /= 2) {
    hashMany(level, 64, chunks / 2, 1, key, 0, false, kParent, 0, 0, next);
    std::memcpy(level, next, chunks / 2 * 32);
  }
  std::memcpy(out, level, 32 * outputs);
}

size_t ChunkLength(const Blake3Hasher* h) {
  return h->blocksCompressed * kBlake3BlockBytes + h->blockLength;
}

// Pairs the newest entries until `entries` are left.
void MergeStack(Blake3Hasher* h, int entries) {
  while (h->stackLength > entries) {
    unsigned char* left = h->stack[h->stackLength - 2];
    ParentCv(h->key, left, h->stack[h->stackLength - 1], left);
    --h->stackLength;
  }
}

// Pushes a complete subtree of `chunks` chunks at the current position.
// Input follows it, so everything left of it is one complete subtree per set
// bit of the chunk count, and may be merged so far.
void PushSubtree(Blake3Hasher* h, const unsigned char cv[32], uint64_t chunks) {
  MergeStack(h, __builtin_popcountll(h->chunkCounter));
  std::memcpy(h->stack[h->stackLength++], cv, 32);
  h->chunkCounter += chunks;
}

void ResetChunk(Blake3Hasher* h) {
  std::memcpy(h->chunkCv, h->key, sizeof h->chunkCv);
  h->blockLength = 0;
  h->blocksCompressed = 0;
}

// The node that Final compresses last: its input chaining value, block,
// counter and flags, compressed once more as the root or into its value.
struct Node {
  uint32_t cv[8];
  unsigned char block[64];
  uint8_t blockLength;
  uint8_t flags;
  uint64_t counter;
};

Node ChunkNode(const Blake3Hasher* h) {
  Node n;
  std::memcpy(n.cv, h->chunkCv, sizeof n.cv);
  std::memset(n.block, 0, sizeof n.block);
  std::memcpy(n.block, h->block, h->blockLength);
  n.blockLength = h->blockLength;
  n.flags = static_cast<uint8_t>(kChunkEnd | (h->blocksCompressed == 0 ? kChunkStart : 0));
  n.counter = h->chunkCounter;
  return n;
}

Node ParentNode(const uint32_t key[8], const unsigned char left[32],
                const unsigned char right[32]) {
  Node n;
  std::memcpy(n.cv, key, sizeof n.cv);
  std::memcpy(n.block, left, 32);
  std::memcpy(n.block + 32, right, 32);
  n.blockLength = 64;
  n.flags = kParent;
  n.counter = 0;
  return n;
}

void NodeCv(const Node& n, unsigned char cv[32]) {
  uint32_t words[8];
  Compress(n.cv, n.block, n.blockLength, n.counter, n.flags, words);
  for (int w = 0; w < 8; ++w) StoreLittle32(cv + 4 * w, words[w]);
}

// The chunk is full and input follows: its value joins the stack.
void FinishChunk(Blake3Hasher* h) {
  unsigned char cv[32];
  NodeCv(ChunkNode(h), cv);
  PushSubtree(h, cv, 1);
  ResetChunk(h);
}

}  // namespace

void Blake3InitWith(Blake3Hasher* hasher, const DigestKernels& kernels) {
  std::memcpy(hasher->key, kIv, sizeof hasher->key);
  hasher->chunkCounter = 0;
  hasher->stackLength = 0;
  hasher->hashMany = kernels.blake3HashMany;
  hasher->lanes = kernels.blake3Lanes;
  ResetChunk(hasher);
}

void Blake3Init(Blake3Hasher* hasher) {
  Blake3InitWith(hasher, ActiveDigestKernels());
}

void Blake3Update(Blake3Hasher* h, const void* data, size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  while (length != 0) {
    if (ChunkLength(h) == kBlake3ChunkBytes) FinishChunk(h);
    if (ChunkLength(h) == 0 && length >= 2 * kBlake3ChunkBytes) {
      // Whole subtrees straight from the input, many chunks at once.
      const uint64_t chunks = Blake3LargestSubtree(h->chunkCounter, length / kBlake3ChunkBytes);
      const size_t bytes = static_cast<size_t>(chunks) * kBlake3ChunkBytes;
      unsigned char cv[64];
      if (bytes < length) {
        HashSubtreeTo(h->hashMany, h->key, p, chunks, h->chunkCounter, cv, 1);
        PushSubtree(h, cv, chunks);
      } else {
        // The input ends with this subtree, which may be the root: its two
        // halves wait on the stack until Final or more input decides.
        HashSubtreeTo(h->hashMany, h->key, p, chunks, h->chunkCounter, cv, 2);
        PushSubtree(h, cv, chunks / 2);
        PushSubtree(h, cv + 32, chunks / 2);
      }
      p += bytes;
      length -= bytes;
      continue;
    }
    // Bytes into the current chunk; a full block is compressed only when
    // more bytes of the chunk follow, since the last one carries the end flag.
    size_t take = kBlake3ChunkBytes - ChunkLength(h);
    if (take > length) take = length;
    length -= take;
    while (take != 0) {
      if (h->blockLength == kBlake3BlockBytes) {
        const uint8_t flags = h->blocksCompressed == 0 ? kChunkStart : 0;
        Compress(h->chunkCv, h->block, 64, h->chunkCounter, flags, h->chunkCv);
        ++h->blocksCompressed;
        h->blockLength = 0;
      }
      size_t n = kBlake3BlockBytes - h->blockLength;
      if (n > take) n = take;
      std::memcpy(h->block + h->blockLength, p, n);
      h->blockLength = static_cast<uint8_t>(h->blockLength + n);
      p += n;
      take -= n;
    }
  }
}

void Blake3Final(const Blake3Hasher* h, unsigned char digest[32]) {
  // A copy of the stack, since Final leaves the hasher as it is.
  unsigned char stack[kBlake3MaxDepth + 1][32];
  int i = h->stackLength;
  std::memcpy(stack, h->stack, static_cast<size_t>(i) * 32);
  Node node;
  if (ChunkLength(h) != 0 || i == 0) {
    // The chunk follows everything on the stack, which is so far one
    // complete subtree per set bit of the chunk count.
    const int complete = __builtin_popcountll(h->chunkCounter);
    for (; i > complete; --i) ParentCv(h->key, stack[i - 2], stack[i - 1], stack[i - 2]);
    node = ChunkNode(h);
  } else {
    // The input ended with a subtree whose halves are the top two entries.
    node = ParentNode(h->key, stack[i - 2], stack[i - 1]);
    i -= 2;
  }
  for (; i > 0; --i) {
    unsigned char right[32];
    NodeCv(node, right);
    node = ParentNode(h->key, stack[i - 1], right);
  }
  uint32_t words[8];
  Compress(node.cv, node.block, node.blockLength, node.counter,
           static_cast<uint8_t>(node.flags | kRoot), words);
  for (int w = 0; w < 8; ++w) StoreLittle32(digest + 4 * w, words[w]);
}

void Blake3HashSubtreeWith(const DigestKernels& kernels, const unsigned char* data, size_t length,
                           uint64_t chunkCounter, unsigned char cv[32]) {
  HashSubtreeTo(kernels.blake3HashMany, kIv, data, length / kBlake3ChunkBytes, chunkCounter, cv, 1);
}

void Blake3HashSubtree(const unsigned char* data, size_t length, uint64_t chunkCounter,
                       unsigned char cv[32]) {
  Blake3HashSubtreeWith(ActiveDigestKernels(), data, length, chunkCounter, cv);
}

void Blake3AppendSubtree(Blake3Hasher* hasher, const unsigned char cv[32], uint64_t chunks) {
  if (ChunkLength(hasher) == kBlake3ChunkBytes) FinishChunk(hasher);
  PushSubtree(hasher, cv, chunks);
}

uint64_t Blake3LargestSubtree(uint64_t chunkCounter, uint64_t availableChunks) {
  uint64_t n = uint64_t{1} << (63 - __builtin_clzll(availableChunks));
  while (chunkCounter % n != 0) n /= 2;
  return n;
}
