#include "hashing/digest_text.h"

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void FormatDigestHexN(const unsigned char* digest, int bytes, char* out, bool upperCase) {
  const char* hex = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  for (int i = 0; i < bytes; ++i) {
    out[2 * i] = hex[digest[i] >> 4];
    out[2 * i + 1] = hex[digest[i] & 15];
  }
  out[2 * bytes] = '\0';
}

void FormatDigestHex(const unsigned char digest[16], char out[33], bool upperCase) {
  FormatDigestHexN(digest, 16, out, upperCase);
}
