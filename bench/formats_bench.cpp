// Reading a 1,000,000-line SFV list and a 1,000,000-line MD5 list the way a
// run does: detection, the counting pass, positioning, then ReadListEntry for
// every entry. The lists are written once into CORVANA_FORMATS_LISTS (a
// folder; default /tmp) unless they are there already, so that
// bench/run-formats.sh can hand the very same files to the peers.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/list_detection.h"
#include "formats/list_reader.h"
#include "platform/file.h"

namespace {

constexpr int kLines = 1000000;

std::string ListPath(const char* leaf) {
  const char* folder = std::getenv("CORVANA_FORMATS_LISTS");
  return std::string(folder && *folder ? folder : "/tmp") + "/" + leaf;
}

// Writes the list unless a file of that name exists; returns its size.
uint64_t EnsureList(const std::string& path, bool md5) {
  {
    UniqueFile existing(OpenFile(path.c_str(), OpenMode::ReadShared));
    uint64_t size = 0;
    if (existing && GetFileSize64(existing.Get(), &size) && size > 0) return size;
  }
  UniqueFile out(OpenFile(path.c_str(), OpenMode::CreateExclusive));
  if (!out) return 0;
  std::string block;
  uint64_t total = 0;
  uint32_t x = 1;
  char line[128];
  for (int i = 0; i < kLines; ++i) {
    x = x * 1664525u + 1013904223u;
    const int n = md5 ? std::snprintf(line, sizeof line, "%08x%08x%08x%08x *disc/file_%07d.bin\n",
                                      x, x ^ 0x5A5A5A5Au, ~x, x * 3u, i)
                      : std::snprintf(line, sizeof line, "disc/file_%07d.bin %08X\n", i, x);
    block.append(line, static_cast<size_t>(n));
    if (block.size() > (1u << 20) || i == kLines - 1) {
      if (!WriteToFile(out.Get(), block.data(), static_cast<uint32_t>(block.size()))) return 0;
      total += block.size();
      block.clear();
    }
  }
  return total;
}

void ReadWholeList(benchmark::State& state, const char* leaf, bool md5) {
  const std::string path = ListPath(leaf);
  const uint64_t bytes = EnsureList(path, md5);
  if (bytes == 0) {
    state.SkipWithError("cannot write the list");
    return;
  }
  static ListReader reader;
  int64_t entries = 0;
  for (auto _ : state) {
    UniqueFile file(OpenFile(path.c_str(), OpenMode::ReadShared));
    InitListReader(&reader, ListHost::Verifier, nullptr, nullptr);
    DetectListFormat(&reader, path.c_str(), file.Get());
    const int64_t counted = CountListEntries(&reader, file.Get());
    PositionListForReading(&reader, file.Get());
    ListEntry entry;
    int64_t read = 0;
    while (ReadListEntry(&reader, file.Get(), &entry) > 0) ++read;
    benchmark::DoNotOptimize(entry);
    if (read != kLines || counted != kLines) state.SkipWithError("wrong entry count");
    entries += read;
  }
  // Entries per second of the reading pass; bytes per second of both passes
  // over the list.
  state.SetItemsProcessed(entries);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 *
                          static_cast<int64_t>(bytes));
}

void BM_SfvList(benchmark::State& state) {
  ReadWholeList(state, "corvana_bench_1m.sfv", false);
}
void BM_Md5List(benchmark::State& state) {
  ReadWholeList(state, "corvana_bench_1m.md5", true);
}

}  // namespace

BENCHMARK(BM_SfvList)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Md5List)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK_MAIN();
