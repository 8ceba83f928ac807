// The printed form of an MD5 digest: two hexadecimal digits per byte, in
// byte order. Lists carry it in lower case; result lines show it in upper
// case.
#pragma once

// Writes 32 digits and the terminating zero into `out`.
void FormatDigestHex(const unsigned char digest[16], char out[33], bool upperCase);
