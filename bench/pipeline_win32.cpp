// Throughput of the read-and-hash pipeline on one cached file, and of the
// pieces it is made of, measured in one process:
//   - the rate at which one thread can read the file at all: a plain loop of
//     1 MiB ReadFile calls, opened as the pipeline opens it (bypassing the
//     cache) and with the sequential-scan hint;
//   - walking the file through mapped views of 64 KiB and of 1 MiB (map,
//     touch every page, unmap);
//   - the CRC-32 and MD5 primitives on a 1 MiB buffer in memory;
//   - the pipeline itself for CRC-32 and MD5, in the default read mode and in
//     the mapping mode, with where its threads spent their time.
// Every figure is the best of REPEAT runs. Lines that start with "=" carry
// key and value for scripts.
//
//   pipeline_bench.exe FILE [REPEAT]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/ticks_win32.h"
#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"
#include "hashing/entry_status.h"
#include "hashing/hash_job_win32.h"
#include "hashing/md5.h"
#include "hashing/pipeline_win32.h"
#include "platform/counting_semaphore_win32.h"
#include "platform/handles_win32.h"

namespace {

double GBps(uint64_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / seconds / 1e9 : 0;
}

void PrintRate(const char* key, const char* what, uint64_t bytes, double seconds) {
  std::printf("%-58s %8.3f s %7.2f GB/s\n", what, seconds, GBps(bytes, seconds));
  std::printf("= %s %.4f\n", key, GBps(bytes, seconds));
}

// A loop of 1 MiB ReadFile calls into one page-aligned buffer.
double ReadLoop(const char* path, DWORD flags, uint64_t* bytes) {
  UniqueFileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
  if (!file) return -1;
  static unsigned char* buffer = static_cast<unsigned char*>(
      VirtualAlloc(nullptr, kReadBlockBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  uint64_t total = 0;
  const uint64_t start = Now();
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, kReadBlockBytes, &got, nullptr)) return -1;
    if (got == 0) break;
    total += got;
  }
  const double s = Seconds(Now() - start);
  *bytes = total;
  return s;
}

// Map, touch one byte of every page, unmap, view after view.
double MapWalk(const char* path, uint32_t viewBytes, uint64_t* bytes, uint32_t* sum) {
  UniqueFileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return -1;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return -1;
  const uint64_t start = Now();
  UniqueKernelHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return -1;
  uint32_t touched = 0;
  const uint64_t total = static_cast<uint64_t>(size.QuadPart);
  for (uint64_t at = 0; at < total; at += viewBytes) {
    const uint32_t n = total - at < viewBytes ? static_cast<uint32_t>(total - at) : viewBytes;
    UniqueMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, static_cast<DWORD>(at >> 32),
                                        static_cast<DWORD>(at), n));
    if (!view) return -1;
    const volatile unsigned char* p = static_cast<const unsigned char*>(view.Get());
    for (uint32_t i = 0; i < n; i += 4096) touched += p[i];
  }
  const double s = Seconds(Now() - start);
  *bytes = total;
  *sum = touched;
  return s;
}

// The primitives on one 1 MiB buffer in memory, `rounds` times over.
double CrcInMemory(const std::vector<unsigned char>& data, int rounds, uint32_t* out) {
  uint32_t crc = 0xFFFFFFFF;
  const uint64_t start = Now();
  for (int i = 0; i < rounds; ++i) {
    crc = UpdateCRC32(crc, data.data(), static_cast<uint32_t>(data.size()));
  }
  *out = crc;
  return Seconds(Now() - start);
}

double Md5InMemory(const std::vector<unsigned char>& data, int rounds, uint32_t* out) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  const uint64_t start = Now();
  for (int i = 0; i < rounds; ++i) MD5Update(&ctx, data.data(), static_cast<uint32_t>(data.size()));
  unsigned char digest[16];
  MD5Final(digest, &ctx);
  *out = digest[0];
  return Seconds(Now() - start);
}

// The kernel semaphore and the pipeline's counting semaphore behind one pair
// of calls, so that one timing loop measures both.
void Give(HANDLE semaphore) {
  ReleaseSemaphore(semaphore, 1, nullptr);
}
void Take(HANDLE semaphore) {
  WaitForSingleObject(semaphore, INFINITE);
}
void Give(CountingSemaphore* semaphore) {
  ReleaseCountingSemaphore(semaphore, 1);
}
void Take(CountingSemaphore* semaphore) {
  WaitCountingSemaphore(semaphore);
}

// One release and one wait on a semaphore that nobody else waits for: the
// cost of a hand-off call itself, without waking another thread. Returns
// microseconds per pair.
template <class Semaphore>
double PairOf(Semaphore semaphore, int pairs) {
  const uint64_t start = Now();
  for (int i = 0; i < pairs; ++i) {
    Give(semaphore);
    Take(semaphore);
  }
  return Seconds(Now() - start) * 1e6 / pairs;
}

// Two threads passing one token back and forth through two semaphores, as
// the pipeline's threads do when neither has work queued: microseconds per
// round trip.
template <class Semaphore>
struct PingPong {
  Semaphore ping, pong;
  int rounds;
};
template <class Semaphore>
DWORD WINAPI PongThread(void* argument) {
  PingPong<Semaphore>* pp = static_cast<PingPong<Semaphore>*>(argument);
  for (int i = 0; i < pp->rounds; ++i) {
    Take(pp->ping);
    Give(pp->pong);
  }
  return 0;
}
template <class Semaphore>
double RoundTripOf(Semaphore ping, Semaphore pong, int rounds) {
  PingPong<Semaphore> pp{ping, pong, rounds};
  UniqueKernelHandle thread(CreateThread(nullptr, 0, PongThread<Semaphore>, &pp, 0, nullptr));
  const uint64_t start = Now();
  for (int i = 0; i < rounds; ++i) {
    Give(ping);
    Take(pong);
  }
  const double us = Seconds(Now() - start) * 1e6 / rounds;
  WaitForSingleObject(thread.Get(), INFINITE);
  return us;
}

struct HandOffFigures {
  double KernelPair, KernelTrip, CountingPair, CountingTrip;
};

// Kernel semaphores beside the pipeline's counting semaphores with address
// waits: a counting pair that finds its unit never leaves the process, and a
// round trip wakes a sleeping thread each way.
HandOffFigures MeasureHandOffs() {
  HandOffFigures f{-1, -1, -1, -1};
  UniqueKernelHandle ping(CreateSemaphoreA(nullptr, 0, 9, nullptr));
  UniqueKernelHandle pong(CreateSemaphoreA(nullptr, 0, 9, nullptr));
  if (ping && pong) {
    f.KernelPair = PairOf(ping.Get(), 20000);
    f.KernelTrip = RoundTripOf(ping.Get(), pong.Get(), 5000);
  }
  UniqueEvent quit(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  CountingSemaphore a{}, b{};
  if (CreateCountingSemaphore(&a, 9, quit.Get(), SemaphoreSleep::AddressWait) &&
      CreateCountingSemaphore(&b, 9, quit.Get(), SemaphoreSleep::AddressWait)) {
    f.CountingPair = PairOf(&a, 200000);
    f.CountingTrip = RoundTripOf(&a, &b, 5000);
  }
  CloseCountingSemaphore(&a);
  CloseCountingSemaphore(&b);
  return f;
}

struct PipelineRun {
  double Seconds = -1;
  PipelineTimes Times{};
  uint32_t Status = 0;
  uint32_t Crc = 0;
  unsigned char Md5[16] = {};
};

// One job through a freshly started static pipeline; the counters are read
// after the threads have ended.
PipelineRun RunPipeline(const char* path, bool md5, BlockModeRule rule, SemaphoreSleep sleep) {
  static HashJob job;
  PipelineRun run;
  PipelineOptions options;
  options.ModeRule = rule;
  options.Sleep = sleep;
  options.MeasureTimes = true;
  if (!StartHashing(&job, options)) return run;
  std::snprintf(job.FilePath, sizeof job.FilePath, "%s", path);
  job.ExpectedSizeLow = job.ExpectedSizeHigh = 0xFFFFFFFF;
  job.UseMd5 = md5 ? 1 : 0;
  ResetEvent(job.DoneEvent);
  const uint64_t start = Now();
  ReleaseSemaphore(job.StartSemaphore, 1, nullptr);
  WaitForSingleObject(job.DoneEvent, INFINITE);
  run.Seconds = Seconds(Now() - start);
  run.Status = job.Status;
  run.Crc = job.ResultCrc;
  std::memcpy(run.Md5, job.ResultMd5, 16);
  StopHashing(&job);
  run.Times = StaticHashPipeline()->Times;
  return run;
}

void PrintBreakdown(const PipelineRun& r, uint64_t blocks) {
  const PipelineTimes& t = r.Times;
  std::printf(
      "    hashing thread: wait for blocks %.3f s, hash %.3f s, unmap %.3f s, "
      "request signals %.3f s, open and mapping %.3f s\n",
      Seconds(t.HashWait), Seconds(t.HashFeed), Seconds(t.HashUnmap), Seconds(t.HashSignal),
      Seconds(t.HashOpen));
  std::printf("    reader thread:  read or map %.3f s, ready signals %.3f s\n",
              Seconds(t.ReaderFetch), Seconds(t.ReaderSignal));
  const double us = 1e6 / static_cast<double>(blocks);
  std::printf(
      "    per block (%llu blocks): read or map %.1f us, hash %.1f us, unmap %.1f us, "
      "wait %.1f us, one release %.1f us\n",
      static_cast<unsigned long long>(blocks), Seconds(t.ReaderFetch) * us,
      Seconds(t.HashFeed) * us, Seconds(t.HashUnmap) * us, Seconds(t.HashWait) * us,
      Seconds(t.ReaderSignal) * us);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pipeline_bench FILE [REPEAT]\n");
    return 2;
  }
  const char* path = argv[1];
  const int repeat = argc > 2 ? std::atoi(argv[2]) : 3;

  UniqueFileHandle probe(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size;
  if (!probe || !GetFileSizeEx(probe.Get(), &size)) {
    std::fprintf(stderr, "pipeline_bench: cannot open %s\n", path);
    return 1;
  }
  probe.Reset();
  const uint64_t fileBytes = static_cast<uint64_t>(size.QuadPart);
  std::printf("file %s, %llu bytes; best of %d; UpdateCRC32 runs the %s path\n", path,
              static_cast<unsigned long long>(fileBytes), repeat, CrcPathName(SelectedCrcPath()));

  // The file as one thread can read or map it.
  struct Walk {
    const char* key;
    const char* what;
    int kind;  // 0 read with flags, 1 map views
    DWORD flags;
    uint32_t view;
  };
  const Walk walks[] = {
      {"readfile_nobuffering", "ReadFile 1 MiB loop, cache-bypass flag (as the pipeline)", 0,
       FILE_FLAG_NO_BUFFERING, 0},
      {"readfile_sequential", "ReadFile 1 MiB loop, sequential-scan hint", 0,
       FILE_FLAG_SEQUENTIAL_SCAN, 0},
      {"map_64k", "mapped views of 64 KiB (map, touch pages, unmap)", 1, 0, 65536},
      {"map_1m", "mapped views of 1 MiB (map, touch pages, unmap)", 1, 0, 1 << 20},
  };
  for (const Walk& w : walks) {
    double best = -1;
    uint64_t bytes = 0;
    uint32_t sum = 0;
    for (int i = 0; i < repeat; ++i) {
      const double s =
          w.kind == 0 ? ReadLoop(path, w.flags, &bytes) : MapWalk(path, w.view, &bytes, &sum);
      if (s >= 0 && (best < 0 || s < best)) best = s;
    }
    if (best < 0) {
      std::printf("%-58s failed (error %lu)\n", w.what, GetLastError());
      continue;
    }
    PrintRate(w.key, w.what, bytes, best);
  }

  HandOffFigures handOffs{-1, -1, -1, -1};
  for (int i = 0; i < repeat; ++i) {
    const HandOffFigures f = MeasureHandOffs();
    const auto keep = [](double* kept, double value) {
      if (*kept < 0 || value < *kept) *kept = value;
    };
    keep(&handOffs.KernelPair, f.KernelPair);
    keep(&handOffs.KernelTrip, f.KernelTrip);
    keep(&handOffs.CountingPair, f.CountingPair);
    keep(&handOffs.CountingTrip, f.CountingTrip);
  }
  const double bestPair = handOffs.KernelPair, bestTrip = handOffs.KernelTrip;
  const double bestCountingPair = handOffs.CountingPair, bestCountingTrip = handOffs.CountingTrip;
  std::printf("%-58s %8.1f us\n", "kernel semaphore release + wait, nobody waiting", bestPair);
  std::printf("%-58s %8.1f us\n", "kernel semaphore round trip between two threads", bestTrip);
  std::printf("%-58s %8.3f us\n", "pipeline semaphore release + wait, nobody waiting",
              bestCountingPair);
  std::printf("%-58s %8.1f us\n", "pipeline semaphore round trip between two threads",
              bestCountingTrip);
  std::printf("= semaphore_pair_us %.2f\n= semaphore_trip_us %.2f\n", bestPair, bestTrip);
  std::printf("= counting_pair_us %.3f\n= counting_trip_us %.2f\n", bestCountingPair,
              bestCountingTrip);

  // The primitives in memory, 1 GiB each.
  std::vector<unsigned char> buffer(1 << 20);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<unsigned char>(i * 31 + 7);
  double bestCrc = -1, bestMd5 = -1;
  uint32_t sink = 0;
  for (int i = 0; i < repeat; ++i) {
    const double c = CrcInMemory(buffer, 1024, &sink);
    const double m = Md5InMemory(buffer, 1024, &sink);
    if (bestCrc < 0 || c < bestCrc) bestCrc = c;
    if (bestMd5 < 0 || m < bestMd5) bestMd5 = m;
  }
  PrintRate("primitive_crc", "UpdateCRC32 on a 1 MiB buffer in memory (1 GiB)", 1ull << 30,
            bestCrc);
  PrintRate("primitive_md5", "MD5Update on a 1 MiB buffer in memory (1 GiB)", 1ull << 30, bestMd5);

  // The pipeline.
  struct Case {
    const char* key;
    const char* what;
    bool md5;
    BlockModeRule rule;
    SemaphoreSleep sleep;
  };
  constexpr SemaphoreSleep kAddress = SemaphoreSleep::AddressWait;
  const Case cases[] = {
      {"pipeline_crc_read", "pipeline CRC-32, 1 MiB reads (default)", false,
       BlockModeRule::AlwaysRead, kAddress},
      {"pipeline_md5_read", "pipeline MD5, 1 MiB reads (default)", true, BlockModeRule::AlwaysRead,
       kAddress},
      {"pipeline_crc_read_kernel", "pipeline CRC-32, 1 MiB reads, kernel semaphores", false,
       BlockModeRule::AlwaysRead, SemaphoreSleep::KernelSemaphore},
      {"pipeline_md5_read_kernel", "pipeline MD5, 1 MiB reads, kernel semaphores", true,
       BlockModeRule::AlwaysRead, SemaphoreSleep::KernelSemaphore},
      {"pipeline_crc_map", "pipeline CRC-32, mapping rule (64 KiB views on NT)", false,
       BlockModeRule::MapBelowThreshold, kAddress},
      {"pipeline_md5_map", "pipeline MD5, mapping rule (64 KiB views on NT)", true,
       BlockModeRule::MapBelowThreshold, kAddress},
  };
  // Every case must give the digests of the first CRC-32 and MD5 case.
  uint32_t crc = 0;
  unsigned char md5[16] = {};
  bool haveCrc = false, haveMd5 = false, agree = true;
  for (const Case& c : cases) {
    PipelineRun best;
    for (int i = 0; i < repeat; ++i) {
      PipelineRun r = RunPipeline(path, c.md5, c.rule, c.sleep);
      if (r.Seconds < 0 || r.Status != Hashed) {
        std::printf("%-58s failed (status %u)\n", c.what, r.Status);
        return 1;
      }
      if (best.Seconds < 0 || r.Seconds < best.Seconds) best = r;
    }
    PrintRate(c.key, c.what, fileBytes, best.Seconds);
    const int mode = c.rule == BlockModeRule::AlwaysRead ? 0 : 1;
    // Files of 1 GiB are at the threshold's far side: mapped on NT-family
    // platforms (Wine is one), in 64 KiB views.
    const uint64_t blockBytes = mode == 0 ? kReadBlockBytes : kMapBlockBytes;
    PrintBreakdown(best, (fileBytes + blockBytes - 1) / blockBytes);
    if (c.md5) {
      if (haveMd5 && std::memcmp(md5, best.Md5, 16) != 0) agree = false;
      std::memcpy(md5, best.Md5, 16);
      haveMd5 = true;
    } else {
      if (haveCrc && crc != best.Crc) agree = false;
      crc = best.Crc;
      haveCrc = true;
    }
  }
  std::printf("= crc %08x\n= md5 ", static_cast<unsigned>(crc));
  for (unsigned char b : md5) std::printf("%02x", b);
  std::printf("\n");
  if (!agree) {
    std::printf("the cases disagree on the digests\n");
    return 1;
  }
  return sink == 0xFFFFFFFFu ? 3 : 0;  // keeps the in-memory loops alive
}
