#include "hashing/digest_kernels.h"

DigestKernels DigestKernelsFor(const CpuFeatures& f) {
  DigestKernels k{&Sha1BlocksPortable,
                  &Sha256BlocksPortable,
                  &Sha512BlocksPortable,
                  &Blake3HashManyPortable,
                  1,
                  "portable",
                  "portable",
                  &Xxh3UpdateDefault,
                  &Xxh3Digest64Default,
                  &Xxh3Digest128Default,
                  kXxh3DefaultName};
#if defined(__x86_64__) || defined(__i386__)
  if (f.sha && f.ssse3 && f.sse41) {
    k.sha1Blocks = &Sha1BlocksShaNi;
    k.sha256Blocks = &Sha256BlocksShaNi;
    k.shaName = "sha-ni";
  }
  if (f.avx2 && f.bmi2) k.sha512Blocks = &Sha512BlocksAvx2;
  if (f.avx2) {
    k.xxh3Update = &Xxh3UpdateAvx2;
    k.xxh3Digest64 = &Xxh3Digest64Avx2;
    k.xxh3Digest128 = &Xxh3Digest128Avx2;
    k.xxh3Name = "avx2";
  }
  if (f.avx512f && f.avx2 && f.ssse3 && f.sse41) {
    k.blake3HashMany = &Blake3HashManyAvx512;
    k.blake3Lanes = 16;
    k.blake3Name = "avx512";
  } else if (f.avx2 && f.ssse3 && f.sse41) {
    k.blake3HashMany = &Blake3HashManyAvx2;
    k.blake3Lanes = 8;
    k.blake3Name = "avx2";
  } else if (f.ssse3 && f.sse41) {
    k.blake3HashMany = &Blake3HashManySse41;
    k.blake3Lanes = 4;
    k.blake3Name = "sse4.1";
  }
#else
  (void)f;
#endif
  return k;
}

const DigestKernels& ActiveDigestKernels() {
  static const DigestKernels kernels = DigestKernelsFor(DetectCpuFeatures());
  return kernels;
}
