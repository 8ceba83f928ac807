// The message buffering and padding that SHA-1, SHA-256 and SHA-512 share:
// whole blocks go straight to the block function, a partial block waits in
// the context's buffer, and the end appends 0x80, zeros and the message
// length in bits, big-endian, in the last `lengthBytes` bytes of a block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sha_buffer {

template <size_t kBlock, typename State, typename Blocks>
inline void Append(State* state, unsigned char (&buffer)[kBlock], uint64_t& total, Blocks blocks,
                   const void* data, size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  size_t used = static_cast<size_t>(total % kBlock);
  total += length;
  if (used != 0) {
    const size_t take = length < kBlock - used ? length : kBlock - used;
    std::memcpy(buffer + used, p, take);
    p += take;
    length -= take;
    used += take;
    if (used < kBlock) return;
    blocks(state, buffer, 1);
  }
  if (length >= kBlock) {
    blocks(state, p, length / kBlock);
    p += length / kBlock * kBlock;
    length %= kBlock;
  }
  if (length != 0) std::memcpy(buffer, p, length);
}

template <size_t kBlock, size_t kLengthBytes, typename State, typename Blocks>
inline void Pad(State* state, unsigned char (&buffer)[kBlock], uint64_t total, Blocks blocks) {
  size_t used = static_cast<size_t>(total % kBlock);
  buffer[used++] = 0x80;
  if (used > kBlock - kLengthBytes) {
    std::memset(buffer + used, 0, kBlock - used);
    blocks(state, buffer, 1);
    used = 0;
  }
  std::memset(buffer + used, 0, kBlock - used);
  const uint64_t bits_high = total >> 61, bits = total << 3;
  for (int i = 0; i < 8; ++i) {
    buffer[kBlock - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    if (kLengthBytes > 8) buffer[kBlock - 9 - i] = static_cast<unsigned char>(bits_high >> (8 * i));
  }
  blocks(state, buffer, 1);
}

inline uint32_t LoadBig32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

inline uint64_t LoadBig64(const unsigned char* p) {
  return (static_cast<uint64_t>(LoadBig32(p)) << 32) | LoadBig32(p + 4);
}

inline void StoreBig32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

inline void StoreBig64(unsigned char* p, uint64_t v) {
  StoreBig32(p, static_cast<uint32_t>(v >> 32));
  StoreBig32(p + 4, static_cast<uint32_t>(v));
}

}  // namespace sha_buffer
