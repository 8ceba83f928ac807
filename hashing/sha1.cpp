#include "hashing/sha1.h"

#include "hashing/sha_buffer.h"

namespace {

inline uint32_t Rotl(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

}  // namespace

void Sha1BlocksPortable(uint32_t state[5], const unsigned char* blocks, size_t count) {
  for (; count != 0; --count, blocks += 64) {
    uint32_t w[16];
    for (int t = 0; t < 16; ++t) w[t] = sha_buffer::LoadBig32(blocks + 4 * t);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int t = 0; t < 80; ++t) {
      if (t >= 16) {
        w[t & 15] = Rotl(w[(t - 3) & 15] ^ w[(t - 8) & 15] ^ w[(t - 14) & 15] ^ w[t & 15], 1);
      }
      uint32_t f, k;
      if (t < 20) {
        f = (b & c) | (~b & d);
        k = 0x5a827999;
      } else if (t < 40) {
        f = b ^ c ^ d;
        k = 0x6ed9eba1;
      } else if (t < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8f1bbcdc;
      } else {
        f = b ^ c ^ d;
        k = 0xca62c1d6;
      }
      const uint32_t temp = Rotl(a, 5) + f + e + k + w[t & 15];
      e = d;
      d = c;
      c = Rotl(b, 30);
      b = a;
      a = temp;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
  }
}

void Sha1InitWith(Sha1Context* ctx, const DigestKernels& kernels) {
  ctx->state[0] = 0x67452301;
  ctx->state[1] = 0xefcdab89;
  ctx->state[2] = 0x98badcfe;
  ctx->state[3] = 0x10325476;
  ctx->state[4] = 0xc3d2e1f0;
  ctx->length = 0;
  ctx->blocks = kernels.sha1Blocks;
}

void Sha1Init(Sha1Context* ctx) {
  Sha1InitWith(ctx, ActiveDigestKernels());
}

void Sha1Update(Sha1Context* ctx, const void* data, size_t length) {
  sha_buffer::Append(ctx->state, ctx->buffer, ctx->length, ctx->blocks, data, length);
}

void Sha1Final(Sha1Context* ctx, unsigned char digest[20]) {
  sha_buffer::Pad<64, 8>(ctx->state, ctx->buffer, ctx->length, ctx->blocks);
  for (int i = 0; i < 5; ++i) sha_buffer::StoreBig32(digest + 4 * i, ctx->state[i]);
}
