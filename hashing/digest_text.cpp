#include "hashing/digest_text.h"

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
