// Throughput of the digests on cached data, every path this processor runs,
// beside OpenSSL's SHA-1/256/512 through EVP in the same process (and the
// XXH family for comparison with xxhsum -b, which bench/run-xxhash.sh runs).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <random>
#include <vector>

#include "hashing/cpu_features.h"
#include "hashing/digest.h"

namespace {

const std::vector<unsigned char>& Data() {
  static const std::vector<unsigned char> data = [] {
    std::vector<unsigned char> v(64 << 20);
    std::mt19937 rng(3);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
  }();
  return data;
}

// The kernel sets by name: the processor's own and each slower one it runs.
enum Level { kPortable, kSse41, kAvx2, kAvx512, kBest };

bool LevelKernels(Level level, DigestKernels* k) {
  const CpuFeatures all = DetectCpuFeatures();
  CpuFeatures f = all;
  switch (level) {
    case kPortable:
      f = CpuFeatures{};
      break;
    case kSse41:
      f = CpuFeatures{};
      f.ssse3 = all.ssse3;
      f.sse41 = all.sse41;
      if (!f.sse41 || !f.ssse3) return false;
      break;
    case kAvx2:
      f.avx512f = false;
      if (!f.avx2) return false;
      break;
    case kAvx512:
      if (!f.avx512f) return false;
      break;
    case kBest:
      break;
  }
  *k = DigestKernelsFor(f);
  return true;
}

// Hashes state.range(0) bytes per iteration as one message.
void BM_Digest(benchmark::State& state, DigestAlgorithm algorithm, Level level) {
  DigestKernels k;
  if (!LevelKernels(level, &k)) {
    state.SkipWithError("not supported by this processor");
    return;
  }
  const size_t n = static_cast<size_t>(state.range(0));
  Data();
  unsigned char out[kMaxDigestBytes];
  for (auto _ : state) {
    DigestContext ctx;
    DigestInitWith(&ctx, algorithm, k);
    DigestUpdate(&ctx, Data().data(), n);
    DigestFinal(&ctx, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

void BM_OpenSsl(benchmark::State& state, const EVP_MD* (*md)()) {
  const size_t n = static_cast<size_t>(state.range(0));
  Data();
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  for (auto _ : state) {
    EVP_DigestInit_ex(ctx, md(), nullptr);
    EVP_DigestUpdate(ctx, Data().data(), n);
    EVP_DigestFinal_ex(ctx, out, &len);
    benchmark::DoNotOptimize(out);
  }
  EVP_MD_CTX_free(ctx);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
}

}  // namespace

#define CORVANA_DIGEST_BENCH(name, algorithm, level)                    \
  BENCHMARK_CAPTURE(BM_Digest, name, DigestAlgorithm::algorithm, level) \
      ->Arg(16 << 10)                                                   \
      ->Arg(64 << 20)

CORVANA_DIGEST_BENCH(Sha1, Sha1, kBest);
CORVANA_DIGEST_BENCH(Sha1Portable, Sha1, kPortable);
CORVANA_DIGEST_BENCH(Sha256, Sha256, kBest);
CORVANA_DIGEST_BENCH(Sha256Portable, Sha256, kPortable);
CORVANA_DIGEST_BENCH(Sha512, Sha512, kBest);
CORVANA_DIGEST_BENCH(Sha512Portable, Sha512, kPortable);
CORVANA_DIGEST_BENCH(Blake3, Blake3, kBest);
CORVANA_DIGEST_BENCH(Blake3Avx512, Blake3, kAvx512);
CORVANA_DIGEST_BENCH(Blake3Avx2, Blake3, kAvx2);
CORVANA_DIGEST_BENCH(Blake3Sse41, Blake3, kSse41);
CORVANA_DIGEST_BENCH(Blake3Portable, Blake3, kPortable);
// The XXH family also on xxhsum -b's 100 KB sample, to set beside it.
#define CORVANA_XXH_BENCH(name, algorithm, level) \
  CORVANA_DIGEST_BENCH(name, algorithm, level)->Arg(100 << 10)
CORVANA_XXH_BENCH(Xxh32, Xxh32, kBest);
CORVANA_XXH_BENCH(Xxh64, Xxh64, kBest);
CORVANA_XXH_BENCH(Xxh3, Xxh3, kBest);
CORVANA_XXH_BENCH(Xxh3Portable, Xxh3, kPortable);
CORVANA_XXH_BENCH(Xxh128, Xxh128, kBest);
BENCHMARK_CAPTURE(BM_OpenSsl, Sha1, &EVP_sha1)->Arg(16 << 10)->Arg(64 << 20);
BENCHMARK_CAPTURE(BM_OpenSsl, Sha256, &EVP_sha256)->Arg(16 << 10)->Arg(64 << 20);
BENCHMARK_CAPTURE(BM_OpenSsl, Sha512, &EVP_sha512)->Arg(16 << 10)->Arg(64 << 20);

BENCHMARK_MAIN();
