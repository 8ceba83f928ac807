// Every kernel set this processor runs, from the portable code up: the tests
// check each one, not only the one the dispatcher picks.
#pragma once

#include <string>
#include <vector>

#include "hashing/cpu_features.h"
#include "hashing/digest_kernels.h"

struct DigestLevel {
  std::string name;
  DigestKernels kernels;
};

inline std::vector<DigestLevel> SupportedDigestLevels() {
  const CpuFeatures all = DetectCpuFeatures();
  std::vector<DigestLevel> levels;
  levels.push_back({"portable", DigestKernelsFor(CpuFeatures{})});
  CpuFeatures f;
  f.ssse3 = all.ssse3;
  f.sse41 = all.sse41;
  if (f.ssse3 && f.sse41) levels.push_back({"sse4.1", DigestKernelsFor(f)});
  f.avx2 = all.avx2;
  f.bmi2 = all.bmi2;
  if (f.avx2) levels.push_back({"avx2", DigestKernelsFor(f)});
  f.avx512f = all.avx512f;
  if (f.avx512f) levels.push_back({"avx512", DigestKernelsFor(f)});
  CpuFeatures sha;
  sha.ssse3 = all.ssse3;
  sha.sse41 = all.sse41;
  sha.sha = all.sha;
  if (sha.sha && sha.ssse3 && sha.sse41) levels.push_back({"sha-ni", DigestKernelsFor(sha)});
  levels.push_back({"detected", DigestKernelsFor(all)});
  return levels;
}
