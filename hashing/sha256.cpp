#include "hashing/sha256.h"

#include "hashing/sha_buffer.h"

const uint32_t kSha256RoundConstants[64] = {
    0x428a2f98u, 0x71374491u, 0xb5c0fbcfu, 0xe9b5dba5u, 0x3956c25bu, 0x59f111f1u, 0x923f82a4u,
    0xab1c5ed5u, 0xd807aa98u, 0x12835b01u, 0x243185beu, 0x550c7dc3u, 0x72be5d74u, 0x80deb1feu,
    0x9bdc06a7u, 0xc19bf174u, 0xe49b69c1u, 0xefbe4786u, 0x0fc19dc6u, 0x240ca1ccu, 0x2de92c6fu,
    0x4a7484aau, 0x5cb0a9dcu, 0x76f988dau, 0x983e5152u, 0xa831c66du, 0xb00327c8u, 0xbf597fc7u,
    0xc6e00bf3u, 0xd5a79147u, 0x06ca6351u, 0x14292967u, 0x27b70a85u, 0x2e1b2138u, 0x4d2c6dfcu,
    0x53380d13u, 0x650a7354u, 0x766a0abbu, 0x81c2c92eu, 0x92722c85u, 0xa2bfe8a1u, 0xa81a664bu,
    0xc24b8b70u, 0xc76c51a3u, 0xd192e819u, 0xd6990624u, 0xf40e3585u, 0x106aa070u, 0x19a4c116u,
    0x1e376c08u, 0x2748774cu, 0x34b0bcb5u, 0x391c0cb3u, 0x4ed8aa4au, 0x5b9cca4fu, 0x682e6ff3u,
    0x748f82eeu, 0x78a5636fu, 0x84c87814u, 0x8cc70208u, 0x90befffau, 0xa4506cebu, 0xbef9a3f7u,
    0xc67178f2u,
};

namespace {

inline uint32_t Rotr(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

// One round with the eight working variables named by position, so that a
// block of sixteen rounds renames them instead of moving them.
#define SHA256_ROUND(a, b, c, d, e, f, g, h, i)                                                   \
  do {                                                                                            \
    const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) +     \
                        kSha256RoundConstants[j + i] + w[i];                                      \
    const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c)); \
    d += t1;                                                                                      \
    h = t1 + t2;                                                                                  \
  } while (0)

}  // namespace

void Sha256BlocksPortable(uint32_t state[8], const unsigned char* blocks, size_t count) {
  for (; count != 0; --count, blocks += 64) {
    uint32_t w[16];
    for (int t = 0; t < 16; ++t) w[t] = sha_buffer::LoadBig32(blocks + 4 * t);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int j = 0; j < 64; j += 16) {
      if (j != 0) {
        for (int t = 0; t < 16; ++t) {
          const uint32_t w15 = w[(t + 1) & 15], w2 = w[(t + 14) & 15];
          const uint32_t s0 = Rotr(w15, 7) ^ Rotr(w15, 18) ^ (w15 >> 3);
          const uint32_t s1 = Rotr(w2, 17) ^ Rotr(w2, 19) ^ (w2 >> 10);
          w[t] += s0 + w[(t + 9) & 15] + s1;
        }
      }
      SHA256_ROUND(a, b, c, d, e, f, g, h, 0);
      SHA256_ROUND(h, a, b, c, d, e, f, g, 1);
      SHA256_ROUND(g, h, a, b, c, d, e, f, 2);
      SHA256_ROUND(f, g, h, a, b, c, d, e, 3);
      SHA256_ROUND(e, f, g, h, a, b, c, d, 4);
      SHA256_ROUND(d, e, f, g, h, a, b, c, 5);
      SHA256_ROUND(c, d, e, f, g, h, a, b, 6);
      SHA256_ROUND(b, c, d, e, f, g, h, a, 7);
      SHA256_ROUND(a, b, c, d, e, f, g, h, 8);
      SHA256_ROUND(h, a, b, c, d, e, f, g, 9);
      SHA256_ROUND(g, h, a, b, c, d, e, f, 10);
      SHA256_ROUND(f, g, h, a, b, c, d, e, 11);
      SHA256_ROUND(e, f, g, h, a, b, c, d, 12);
      SHA256_ROUND(d, e, f, g, h, a, b, c, 13);
      SHA256_ROUND(c, d, e, f, g, h, a, b, 14);
      SHA256_ROUND(b, c, d, e, f, g, h, a, 15);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

void Sha256InitWith(Sha256Context* ctx, const DigestKernels& kernels) {
  static const uint32_t kInitial[8] = {
      0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au,
      0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u,
  };
  for (int i = 0; i < 8; ++i) ctx->state[i] = kInitial[i];
  ctx->length = 0;
  ctx->blocks = kernels.sha256Blocks;
}

void Sha256Init(Sha256Context* ctx) {
  Sha256InitWith(ctx, ActiveDigestKernels());
}

void Sha256Update(Sha256Context* ctx, const void* data, size_t length) {
  sha_buffer::Append(ctx->state, ctx->buffer, ctx->length, ctx->blocks, data, length);
}

void Sha256Final(Sha256Context* ctx, unsigned char digest[32]) {
  sha_buffer::Pad<64, 8>(ctx->state, ctx->buffer, ctx->length, ctx->blocks);
  for (int i = 0; i < 8; ++i) sha_buffer::StoreBig32(digest + 4 * i, ctx->state[i]);
}
