// Throughput of every CRC-32 path and of zlib's crc32 on cached data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"

namespace {

const std::vector<unsigned char>& Data() {
  static const std::vector<unsigned char> data = [] {
    std::vector<unsigned char> v((1 << 20) + 64);
    std::mt19937 rng(1);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
  }();
  return data;
}

// Times `update(crc, data, length)` over the first state.range(0) bytes.
template <typename Update>
void TimeCrc(benchmark::State& state, Update update) {
  const uint32_t n = static_cast<uint32_t>(state.range(0));
  const unsigned char* p = Data().data();
  uint32_t crc = 0xFFFFFFFF;
  for (auto _ : state) {
    crc = update(crc, p, n);
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * n);
}

void RunPath(benchmark::State& state, CrcPath path) {
  if (!CrcPathSupported(path)) {
    state.SkipWithError("not supported by this processor");
    return;
  }
  TimeCrc(state, CrcPathFunction(path));
}

void BM_Crc32Reference(benchmark::State& s) {
  RunPath(s, CrcPath::Reference);
}
void BM_Crc32Slice16(benchmark::State& s) {
  RunPath(s, CrcPath::Slice16);
}
void BM_Crc32Pclmul(benchmark::State& s) {
  RunPath(s, CrcPath::Clmul);
}
void BM_Crc32Vpclmul256(benchmark::State& s) {
  RunPath(s, CrcPath::Vpclmul256);
}
void BM_Crc32Vpclmul512(benchmark::State& s) {
  RunPath(s, CrcPath::Vpclmul512);
}
void BM_Crc32Dispatched(benchmark::State& s) {
  TimeCrc(s, UpdateCRC32);
}
void BM_ZlibCrc32(benchmark::State& s) {
  TimeCrc(s, [](uint32_t crc, const unsigned char* p, uint32_t n) {
    return static_cast<uint32_t>(crc32(crc, p, n));
  });
}

}  // namespace

#define CORVANA_SIZES Arg(16 << 10)->Arg(1 << 20)
BENCHMARK(BM_Crc32Reference)->CORVANA_SIZES;
BENCHMARK(BM_Crc32Slice16)->CORVANA_SIZES;
BENCHMARK(BM_Crc32Pclmul)->CORVANA_SIZES;
BENCHMARK(BM_Crc32Vpclmul256)->CORVANA_SIZES;
BENCHMARK(BM_Crc32Vpclmul512)->CORVANA_SIZES;
BENCHMARK(BM_Crc32Dispatched)->CORVANA_SIZES;
BENCHMARK(BM_ZlibCrc32)->CORVANA_SIZES;

BENCHMARK_MAIN();
