// The BLAKE3 compression over vector lanes, one input per lane: every state
// word and message word is a vector holding that word of each input. Included
// by each vector path after it defines, for its register type:
//   CORVANA_B3_TARGET             the target attribute of its functions
//   kLanes                        inputs per register
//   using V = ...;                the register type
//   Set1(uint32_t), LoadLanes(const uint32_t*), Add, Xor, Rot16, Rot12,
//   Rot8, Rot7                    the word operations
//   LoadMessage(V m[16], const unsigned char* input, size_t stride,
//               size_t offset)     word j of lane i's block at
//                                  input + i * stride + offset into m[j]
//   StoreCvs(const V h[8], unsigned char* out)
//                                  lane i's eight words to out + 32 * i
// No include guard: each vector path includes it once, into its own
// anonymous namespace, and defines its hash-many entry with HashManyLanes.

CORVANA_B3_TARGET inline void G(V& a, V& b, V& c, V& d, V x, V y) {
  a = Add(Add(a, b), x);
  d = Rot16(Xor(d, a));
  c = Add(c, d);
  b = Rot12(Xor(b, c));
  a = Add(Add(a, b), y);
  d = Rot8(Xor(d, a));
  c = Add(c, d);
  b = Rot7(Xor(b, c));
}

CORVANA_B3_TARGET inline void CompressLanes(V h[8], const V m[16], V counterLow, V counterHigh,
                                            V flags) {
  V v[16] = {h[0],
             h[1],
             h[2],
             h[3],
             h[4],
             h[5],
             h[6],
             h[7],
             Set1(blake3::kIv[0]),
             Set1(blake3::kIv[1]),
             Set1(blake3::kIv[2]),
             Set1(blake3::kIv[3]),
             counterLow,
             counterHigh,
             Set1(64),
             flags};
#pragma GCC unroll 7
  for (int r = 0; r < 7; ++r) {
    const uint8_t* s = blake3::kSchedule.word[r];
    G(v[0], v[4], v[8], v[12], m[s[0]], m[s[1]]);
    G(v[1], v[5], v[9], v[13], m[s[2]], m[s[3]]);
    G(v[2], v[6], v[10], v[14], m[s[4]], m[s[5]]);
    G(v[3], v[7], v[11], v[15], m[s[6]], m[s[7]]);
    G(v[0], v[5], v[10], v[15], m[s[8]], m[s[9]]);
    G(v[1], v[6], v[11], v[12], m[s[10]], m[s[11]]);
    G(v[2], v[7], v[8], v[13], m[s[12]], m[s[13]]);
    G(v[3], v[4], v[9], v[14], m[s[14]], m[s[15]]);
  }
  for (int i = 0; i < 8; ++i) h[i] = Xor(v[i], v[i + 8]);
}

// kLanes inputs of `blocks` blocks each, as Blake3HashManyFunction describes.
CORVANA_B3_TARGET inline void HashLanes(const unsigned char* input, size_t stride, size_t blocks,
                                        const uint32_t key[8], uint64_t counter,
                                        bool incrementCounter, uint8_t flags, uint8_t flagsStart,
                                        uint8_t flagsEnd, unsigned char* out) {
  V h[8];
  for (int i = 0; i < 8; ++i) h[i] = Set1(key[i]);
  uint32_t low[kLanes], high[kLanes];
  for (size_t i = 0; i < kLanes; ++i) {
    const uint64_t c = counter + (incrementCounter ? i : 0);
    low[i] = static_cast<uint32_t>(c);
    high[i] = static_cast<uint32_t>(c >> 32);
  }
  const V counterLow = LoadLanes(low), counterHigh = LoadLanes(high);
  for (size_t b = 0; b < blocks; ++b) {
    const uint32_t f = flags | (b == 0 ? flagsStart : 0u) | (b + 1 == blocks ? flagsEnd : 0u);
    V m[16];
    LoadMessage(m, input, stride, 64 * b);
    CompressLanes(h, m, counterLow, counterHigh, Set1(f));
  }
  StoreCvs(h, out);
}

// Hashes `count` inputs: whole groups of kLanes here, the rest by `narrower`,
// the next narrower path (the portable one below SSE4.1).
template <class Narrower>
CORVANA_B3_TARGET inline void HashManyLanes(Narrower narrower, const unsigned char* input,
                                            size_t stride, size_t count, size_t blocks,
                                            const uint32_t key[8], uint64_t counter,
                                            bool incrementCounter, uint8_t flags,
                                            uint8_t flagsStart, uint8_t flagsEnd,
                                            unsigned char* out) {
  for (; count >= kLanes; count -= kLanes) {
    HashLanes(input, stride, blocks, key, counter, incrementCounter, flags, flagsStart, flagsEnd,
              out);
    input += kLanes * stride;
    out += kLanes * 32;
    if (incrementCounter) counter += kLanes;
  }
  narrower(input, stride, count, blocks, key, counter, incrementCounter, flags, flagsStart,
           flagsEnd, out);
}
