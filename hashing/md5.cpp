// MD5 of RFC 1321. The transform keeps the four state words in locals, reads
// the message words straight from the input (memcpy loads, so any alignment
// is fine) and uses the forms of the round functions that give the shortest
// dependency chain per step.
#include "hashing/md5.h"

#include <cstring>

const unsigned char PADDING[64] = {0x80};

namespace {

inline uint32_t Rotl(uint32_t x, int s) {
  return (x << s) | (x >> (32 - s));
}

inline uint32_t LoadLe32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;  // every target of this program is little-endian
}

inline void StoreLe32(unsigned char* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

// F(b,c,d) = (b & c) | (~b & d) written as d ^ (b & (c ^ d)): c ^ d does not
// wait for b, the newest word.
#define MD5_F(a, b, c, d, x, s, k)  \
  a += (d ^ (b & (c ^ d))) + x + k; \
  a = Rotl(a, s) + b
// G(b,c,d) = (b & d) | (c & ~d): the two halves never share a bit, so they
// can be added separately and the part without d starts early.
#define MD5_G(a, b, c, d, x, s, k) \
  a += (c & ~d) + x + k;           \
  a += (b & d);                    \
  a = Rotl(a, s) + b
#define MD5_H(a, b, c, d, x, s, k) \
  a += (b ^ c ^ d) + x + k;        \
  a = Rotl(a, s) + b
#define MD5_I(a, b, c, d, x, s, k) \
  a += (c ^ (b | ~d)) + x + k;     \
  a = Rotl(a, s) + b

// Processes `blocks` whole 64-byte blocks starting at `p`.
void TransformBlocks(uint32_t state[4], const unsigned char* p, size_t blocks) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; blocks != 0; --blocks, p += 64) {
    const uint32_t x0 = LoadLe32(p + 0), x1 = LoadLe32(p + 4), x2 = LoadLe32(p + 8),
                   x3 = LoadLe32(p + 12), x4 = LoadLe32(p + 16), x5 = LoadLe32(p + 20),
                   x6 = LoadLe32(p + 24), x7 = LoadLe32(p + 28), x8 = LoadLe32(p + 32),
                   x9 = LoadLe32(p + 36), x10 = LoadLe32(p + 40), x11 = LoadLe32(p + 44),
                   x12 = LoadLe32(p + 48), x13 = LoadLe32(p + 52), x14 = LoadLe32(p + 56),
                   x15 = LoadLe32(p + 60);
    const uint32_t aa = a, bb = b, cc = c, dd = d;

    MD5_F(a, b, c, d, x0, 7, 0xd76aa478);
    MD5_F(d, a, b, c, x1, 12, 0xe8c7b756);
    MD5_F(c, d, a, b, x2, 17, 0x242070db);
    MD5_F(b, c, d, a, x3, 22, 0xc1bdceee);
    MD5_F(a, b, c, d, x4, 7, 0xf57c0faf);
    MD5_F(d, a, b, c, x5, 12, 0x4787c62a);
    MD5_F(c, d, a, b, x6, 17, 0xa8304613);
    MD5_F(b, c, d, a, x7, 22, 0xfd469501);
    MD5_F(a, b, c, d, x8, 7, 0x698098d8);
    MD5_F(d, a, b, c, x9, 12, 0x8b44f7af);
    MD5_F(c, d, a, b, x10, 17, 0xffff5bb1);
    MD5_F(b, c, d, a, x11, 22, 0x895cd7be);
    MD5_F(a, b, c, d, x12, 7, 0x6b901122);
    MD5_F(d, a, b, c, x13, 12, 0xfd987193);
    MD5_F(c, d, a, b, x14, 17, 0xa679438e);
    MD5_F(b, c, d, a, x15, 22, 0x49b40821);

    MD5_G(a, b, c, d, x1, 5, 0xf61e2562);
    MD5_G(d, a, b, c, x6, 9, 0xc040b340);
    MD5_G(c, d, a, b, x11, 14, 0x265e5a51);
    MD5_G(b, c, d, a, x0, 20, 0xe9b6c7aa);
    MD5_G(a, b, c, d, x5, 5, 0xd62f105d);
    MD5_G(d, a, b, c, x10, 9, 0x02441453);
    MD5_G(c, d, a, b, x15, 14, 0xd8a1e681);
    MD5_G(b, c, d, a, x4, 20, 0xe7d3fbc8);
    MD5_G(a, b, c, d, x9, 5, 0x21e1cde6);
    MD5_G(d, a, b, c, x14, 9, 0xc33707d6);
    MD5_G(c, d, a, b, x3, 14, 0xf4d50d87);
    MD5_G(b, c, d, a, x8, 20, 0x455a14ed);
    MD5_G(a, b, c, d, x13, 5, 0xa9e3e905);
    MD5_G(d, a, b, c, x2, 9, 0xfcefa3f8);
    MD5_G(c, d, a, b, x7, 14, 0x676f02d9);
    MD5_G(b, c, d, a, x12, 20, 0x8d2a4c8a);

    MD5_H(a, b, c, d, x5, 4, 0xfffa3942);
    MD5_H(d, a, b, c, x8, 11, 0x8771f681);
    MD5_H(c, d, a, b, x11, 16, 0x6d9d6122);
    MD5_H(b, c, d, a, x14, 23, 0xfde5380c);
    MD5_H(a, b, c, d, x1, 4, 0xa4beea44);
    MD5_H(d, a, b, c, x4, 11, 0x4bdecfa9);
    MD5_H(c, d, a, b, x7, 16, 0xf6bb4b60);
    MD5_H(b, c, d, a, x10, 23, 0xbebfbc70);
    MD5_H(a, b, c, d, x13, 4, 0x289b7ec6);
    MD5_H(d, a, b, c, x0, 11, 0xeaa127fa);
    MD5_H(c, d, a, b, x3, 16, 0xd4ef3085);
    MD5_H(b, c, d, a, x6, 23, 0x04881d05);
    MD5_H(a, b, c, d, x9, 4, 0xd9d4d039);
    MD5_H(d, a, b, c, x12, 11, 0xe6db99e5);
    MD5_H(c, d, a, b, x15, 16, 0x1fa27cf8);
    MD5_H(b, c, d, a, x2, 23, 0xc4ac5665);

    MD5_I(a, b, c, d, x0, 6, 0xf4292244);
    MD5_I(d, a, b, c, x7, 10, 0x432aff97);
    MD5_I(c, d, a, b, x14, 15, 0xab9423a7);
    MD5_I(b, c, d, a, x5, 21, 0xfc93a039);
    MD5_I(a, b, c, d, x12, 6, 0x655b59c3);
    MD5_I(d, a, b, c, x3, 10, 0x8f0ccc92);
    MD5_I(c, d, a, b, x10, 15, 0xffeff47d);
    MD5_I(b, c, d, a, x1, 21, 0x85845dd1);
    MD5_I(a, b, c, d, x8, 6, 0x6fa87e4f);
    MD5_I(d, a, b, c, x15, 10, 0xfe2ce6e0);
    MD5_I(c, d, a, b, x6, 15, 0xa3014314);
    MD5_I(b, c, d, a, x13, 21, 0x4e0811a1);
    MD5_I(a, b, c, d, x4, 6, 0xf7537e82);
    MD5_I(d, a, b, c, x11, 10, 0xbd3af235);
    MD5_I(c, d, a, b, x2, 15, 0x2ad7d2bb);
    MD5_I(b, c, d, a, x9, 21, 0xeb86d391);

    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I

}  // namespace

void MD5Transform(uint32_t state[4], const unsigned char block[64]) {
  TransformBlocks(state, block, 1);
}

void MD5Init(MD5_CTX* context) {
  context->count[0] = context->count[1] = 0;
  context->state[0] = 0x67452301;
  context->state[1] = 0xefcdab89;
  context->state[2] = 0x98badcfe;
  context->state[3] = 0x10325476;
}

void MD5Update(MD5_CTX* context, const void* input, uint32_t length) {
  if (length == 0) return;
  const unsigned char* in = static_cast<const unsigned char*>(input);
  uint32_t index = (context->count[0] >> 3) & 0x3F;

  // The bit count is 64 bits wide in two words.
  const uint32_t bits_low = length << 3;
  context->count[0] += bits_low;
  if (context->count[0] < bits_low) ++context->count[1];
  context->count[1] += length >> 29;

  if (index != 0) {
    const uint32_t room = 64 - index;
    if (length < room) {
      std::memcpy(&context->buffer[index], in, length);
      return;
    }
    std::memcpy(&context->buffer[index], in, room);
    TransformBlocks(context->state, context->buffer, 1);
    in += room;
    length -= room;
  }
  // Whole blocks straight from the caller's memory.
  TransformBlocks(context->state, in, length / 64);
  in += length & ~63u;
  std::memcpy(context->buffer, in, length & 63);
}

void MD5Final(unsigned char digest[16], MD5_CTX* context) {
  unsigned char bits[8];
  StoreLe32(bits, context->count[0]);
  StoreLe32(bits + 4, context->count[1]);

  const uint32_t index = (context->count[0] >> 3) & 0x3F;
  const uint32_t pad_len = index < 56 ? 56 - index : 120 - index;
  MD5Update(context, PADDING, pad_len);
  MD5Update(context, bits, 8);

  for (int i = 0; i < 4; ++i) StoreLe32(digest + 4 * i, context->state[i]);
  // The state words are cleared so that no trace of the digest stays behind.
  std::memset(context->state, 0, sizeof(context->state));
}
