#include "hashing/digest_text.h"

void FormatDigestHex(const unsigned char digest[16], char out[33], bool upperCase) {
  const char* hex = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = hex[digest[i] >> 4];
    out[2 * i + 1] = hex[digest[i] & 15];
  }
  out[32] = '\0';
}
