#include "hashing/sha512.h"

#include "hashing/sha_buffer.h"

// The first 64 bits of the fractional parts of the cube roots of the first
// 80 primes.
const uint64_t kSha512RoundConstants[80] = {
    0x428a2f98d728ae22ull, 0x7137449123ef65cdull, 0xb5c0fbcfec4d3b2full, 0xe9b5dba58189dbbcull,
    0x3956c25bf348b538ull, 0x59f111f1b605d019ull, 0x923f82a4af194f9bull, 0xab1c5ed5da6d8118ull,
    0xd807aa98a3030242ull, 0x12835b0145706fbeull, 0x243185be4ee4b28cull, 0x550c7dc3d5ffb4e2ull,
    0x72be5d74f27b896full, 0x80deb1fe3b1696b1ull, 0x9bdc06a725c71235ull, 0xc19bf174cf692694ull,
    0xe49b69c19ef14ad2ull, 0xefbe4786384f25e3ull, 0x0fc19dc68b8cd5b5ull, 0x240ca1cc77ac9c65ull,
    0x2de92c6f592b0275ull, 0x4a7484aa6ea6e483ull, 0x5cb0a9dcbd41fbd4ull, 0x76f988da831153b5ull,
    0x983e5152ee66dfabull, 0xa831c66d2db43210ull, 0xb00327c898fb213full, 0xbf597fc7beef0ee4ull,
    0xc6e00bf33da88fc2ull, 0xd5a79147930aa725ull, 0x06ca6351e003826full, 0x142929670a0e6e70ull,
    0x27b70a8546d22ffcull, 0x2e1b21385c26c926ull, 0x4d2c6dfc5ac42aedull, 0x53380d139d95b3dfull,
    0x650a73548baf63deull, 0x766a0abb3c77b2a8ull, 0x81c2c92e47edaee6ull, 0x92722c851482353bull,
    0xa2bfe8a14cf10364ull, 0xa81a664bbc423001ull, 0xc24b8b70d0f89791ull, 0xc76c51a30654be30ull,
    0xd192e819d6ef5218ull, 0xd69906245565a910ull, 0xf40e35855771202aull, 0x106aa07032bbd1b8ull,
    0x19a4c116b8d2d0c8ull, 0x1e376c085141ab53ull, 0x2748774cdf8eeb99ull, 0x34b0bcb5e19b48a8ull,
    0x391c0cb3c5c95a63ull, 0x4ed8aa4ae3418acbull, 0x5b9cca4f7763e373ull, 0x682e6ff3d6b2b8a3ull,
    0x748f82ee5defb2fcull, 0x78a5636f43172f60ull, 0x84c87814a1f0ab72ull, 0x8cc702081a6439ecull,
    0x90befffa23631e28ull, 0xa4506cebde82bde9ull, 0xbef9a3f7b2c67915ull, 0xc67178f2e372532bull,
    0xca273eceea26619cull, 0xd186b8c721c0c207ull, 0xeada7dd6cde0eb1eull, 0xf57d4f7fee6ed178ull,
    0x06f067aa72176fbaull, 0x0a637dc5a2c898a6ull, 0x113f9804bef90daeull, 0x1b710b35131c471bull,
    0x28db77f523047d84ull, 0x32caab7b40c72493ull, 0x3c9ebe0a15c9bebcull, 0x431d67c49c100d4cull,
    0x4cc5d4becb3e42b6ull, 0x597f299cfc657e2aull, 0x5fcb6fab3ad6faecull, 0x6c44198c4a475817ull,
};

namespace {

inline uint64_t Rotr(uint64_t x, int n) {
  return (x >> n) | (x << (64 - n));
}

// The message word of round j + i: the loaded word in the first sixteen
// rounds, the schedule's next word (kept in a ring of sixteen) after them.
#define SHA512_NEXT_WORD(i)                                                \
  do {                                                                     \
    const uint64_t w15 = w[(i + 1) & 15], w2 = w[(i + 14) & 15];           \
    w[i] += (Rotr(w15, 1) ^ Rotr(w15, 8) ^ (w15 >> 7)) + w[(i + 9) & 15] + \
            (Rotr(w2, 19) ^ Rotr(w2, 61) ^ (w2 >> 6));                     \
  } while (0)

// One round with the working variables named by position, so that sixteen
// rounds rename them instead of moving them. The additions that do not wait
// for e come first, so the next e waits for Sigma1 and Ch only; Maj reuses
// a ^ b of this round as b ^ c of the next.
#define SHA512_ROUND(a, b, c, d, e, f, g, h, i)                                           \
  do {                                                                                    \
    if (schedule) SHA512_NEXT_WORD(i);                                                    \
    const uint64_t t1 = (h + kSha512RoundConstants[j + i] + w[i]) + (g ^ (e & (f ^ g))) + \
                        (Rotr(e, 14) ^ Rotr(e, 18) ^ Rotr(e, 41));                        \
    d += t1;                                                                              \
    const uint64_t ab = a ^ b;                                                            \
    h = t1 + (Rotr(a, 28) ^ Rotr(a, 34) ^ Rotr(a, 39)) + (b ^ (ab & bc));                 \
    bc = ab;                                                                              \
  } while (0)

#define SHA512_SIXTEEN_ROUNDS()             \
  SHA512_ROUND(a, b, c, d, e, f, g, h, 0);  \
  SHA512_ROUND(h, a, b, c, d, e, f, g, 1);  \
  SHA512_ROUND(g, h, a, b, c, d, e, f, 2);  \
  SHA512_ROUND(f, g, h, a, b, c, d, e, 3);  \
  SHA512_ROUND(e, f, g, h, a, b, c, d, 4);  \
  SHA512_ROUND(d, e, f, g, h, a, b, c, 5);  \
  SHA512_ROUND(c, d, e, f, g, h, a, b, 6);  \
  SHA512_ROUND(b, c, d, e, f, g, h, a, 7);  \
  SHA512_ROUND(a, b, c, d, e, f, g, h, 8);  \
  SHA512_ROUND(h, a, b, c, d, e, f, g, 9);  \
  SHA512_ROUND(g, h, a, b, c, d, e, f, 10); \
  SHA512_ROUND(f, g, h, a, b, c, d, e, 11); \
  SHA512_ROUND(e, f, g, h, a, b, c, d, 12); \
  SHA512_ROUND(d, e, f, g, h, a, b, c, 13); \
  SHA512_ROUND(c, d, e, f, g, h, a, b, 14); \
  SHA512_ROUND(b, c, d, e, f, g, h, a, 15)

}  // namespace

void Sha512BlocksPortable(uint64_t state[8], const unsigned char* blocks, size_t count) {
  for (; count != 0; --count, blocks += 128) {
    uint64_t w[16];
    for (int t = 0; t < 16; ++t) w[t] = sha_buffer::LoadBig64(blocks + 8 * t);
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
    uint64_t bc = b ^ c;
    {
      constexpr bool schedule = false;
      constexpr int j = 0;
      SHA512_SIXTEEN_ROUNDS();
    }
    for (int j = 16; j < 80; j += 16) {
      constexpr bool schedule = true;
      SHA512_SIXTEEN_ROUNDS();
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

void Sha512InitWith(Sha512Context* ctx, const DigestKernels& kernels) {
  // The first 64 bits of the fractional parts of the square roots of the
  // first eight primes.
  static const uint64_t kInitial[8] = {
      0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull, 0xa54ff53a5f1d36f1ull,
      0x510e527fade682d1ull, 0x9b05688c2b3e6c1full, 0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull,
  };
  for (int i = 0; i < 8; ++i) ctx->state[i] = kInitial[i];
  ctx->length = 0;
  ctx->blocks = kernels.sha512Blocks;
}

void Sha512Init(Sha512Context* ctx) {
  Sha512InitWith(ctx, ActiveDigestKernels());
}

void Sha512Update(Sha512Context* ctx, const void* data, size_t length) {
  sha_buffer::Append(ctx->state, ctx->buffer, ctx->length, ctx->blocks, data, length);
}

void Sha512Final(Sha512Context* ctx, unsigned char digest[64]) {
  sha_buffer::Pad<128, 16>(ctx->state, ctx->buffer, ctx->length, ctx->blocks);
  for (int i = 0; i < 8; ++i) sha_buffer::StoreBig64(digest + 8 * i, ctx->state[i]);
}
