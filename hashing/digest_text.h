// The printed form of a digest: two hexadecimal digits per byte, in byte
// order. Lists carry it in lower case; result lines show it in upper case.
#pragma once

// The value of one hexadecimal digit in either case, or -1 for any other
// character.
int HexDigitValue(char c);

// Writes 2 * bytes digits and the terminating zero into `out`.
void FormatDigestHexN(const unsigned char* digest, int bytes, char* out, bool upperCase);

// An MD5 digest: 32 digits and the terminating zero.
void FormatDigestHex(const unsigned char digest[16], char out[33], bool upperCase);
