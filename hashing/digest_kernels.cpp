#include "hashing/digest_kernels.h"

DigestKernels DigestKernelsFor(const CpuFeatures& f) {
  DigestKernels k{&Sha1BlocksPortable,
                  &Sha256BlocksPortable,
                  &Sha512BlocksPortable,
                  &Blake3HashManyPortable,
                  1,
                  "portable",
                  "portable"};
#if defined(__x86_64__) || defined(__i386__)
  if (f.sha && f.ssse3 && f.sse41) {
    k.sha1Blocks = &Sha1BlocksShaNi;
    k.sha256Blocks = &Sha256BlocksShaNi;
    k.shaName = "sha-ni";
  }
  if (f.avx2 && f.bmi2) k.sha512Blocks = &Sha512BlocksAvx2;
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
