#include "formats/base64.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of an alphabet character, or -1 for anything else.
int DigitValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

size_t Base64Encode(const void* data, size_t size, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  const size_t length = Base64EncodedLength(size);
  if (capacity < length + 1) {
    out[0] = '\0';
    return 0;
  }
  const auto* in = static_cast<const unsigned char*>(data);
  char* p = out;
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const uint32_t v = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
    *p++ = kAlphabet[(v >> 18) & 63];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = kAlphabet[(v >> 6) & 63];
    *p++ = kAlphabet[v & 63];
  }
  if (size - i == 1) {
    const uint32_t v = uint32_t{in[i]} << 16;
    *p++ = kAlphabet[(v >> 18) & 63];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = '=';
    *p++ = '=';
  } else if (size - i == 2) {
    const uint32_t v = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8);
    *p++ = kAlphabet[(v >> 18) & 63];
    *p++ = kAlphabet[(v >> 12) & 63];
    *p++ = kAlphabet[(v >> 6) & 63];
    *p++ = '=';
  }
  *p = '\0';
  return length;
}

size_t Base64DecodeRun(const char* text, size_t length, void* out, size_t capacity, size_t* used) {
  auto* dst = static_cast<unsigned char*>(out);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  size_t stored = 0;
  size_t at = 0;
  uint32_t bits = 0;  // pending bits, the oldest highest
  int count = 0;      // number of pending bits
  for (; stored < capacity && at < length; ++at) {
    const int v = DigitValue(s[at]);
    if (v < 0) break;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      dst[stored++] = static_cast<unsigned char>(bits >> count);
      bits &= (uint32_t{1} << count) - 1;
    }
  }
  *used = at;
  return stored;
}

size_t Base64Decode(const char* text, void* out, size_t capacity) {
  while (*text == ' ' || *text == '\t') ++text;
  size_t used = 0;
  return Base64DecodeRun(text, std::strlen(text), out, capacity, &used);
}
