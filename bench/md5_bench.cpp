// Throughput of MD5Update on cached data, beside OpenSSL's MD5 through EVP.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <random>
#include <vector>

#include "hashing/md5.h"

namespace {

const std::vector<unsigned char>& Data() {
  static const std::vector<unsigned char> data = [] {
    std::vector<unsigned char> v(1 << 20);
    std::mt19937 rng(2);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
  }();
  return data;
}

void BM_Md5Update(benchmark::State& state) {
  const uint32_t n = static_cast<uint32_t>(state.range(0));
  MD5_CTX ctx;
  MD5Init(&ctx);
  for (auto _ : state) {
    MD5Update(&ctx, Data().data(), n);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(ctx.state[0]);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * n);
}

void BM_OpenSslMd5(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_DigestInit_ex(ctx, EVP_md5(), nullptr);
  for (auto _ : state) {
    EVP_DigestUpdate(ctx, Data().data(), n);
    benchmark::ClobberMemory();
  }
  EVP_MD_CTX_free(ctx);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * n);
}

}  // namespace

BENCHMARK(BM_Md5Update)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(BM_OpenSslMd5)->Arg(16 << 10)->Arg(1 << 20);

BENCHMARK_MAIN();
