// Many files under Wine, a Windows program run by bench/run-many-files.sh:
//
//   many_files_bench.exe floor NAMES [THREADS] [nobuffer]
//     The floor any Windows program pays per file: opens, reads to the end
//     and closes every file named in NAMES (one UTF-8 name a line) with the
//     plain wide calls, CreateFileW / ReadFile / CloseHandle, in one thread
//     (or THREADS threads taking every THREADS-th name); "nobuffer" opens
//     bypassing the cache as the hashing engines do. Prints "= floor SECONDS".
//   many_files_bench.exe engine NAMES WORKERS crc|md5 OUT
//     The files of NAMES through the many-files engine with WORKERS files at
//     once, submitted ahead and taken in list order as a caller would; writes
//     "DIGEST NAME" lines to OUT (so the script can compare them with the
//     peers' lists). Prints "= engine SECONDS" (from the first submit to the
//     last result) and the memory the engine held.
//   many_files_bench.exe seek PATH
//     What the storage under PATH says of its seek penalty, and where the
//     question stopped.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/ticks_win32.h"
#include "hashing/file_hasher_win32.h"
#include "hashing/seek_penalty_win32.h"
#include "platform/handles_win32.h"
#include "platform/text_win32.h"

namespace {

std::vector<std::string> ReadNames(const char* path) {
  std::vector<std::string> names;
  FILE* file = std::fopen(path, "rb");
  if (!file) return names;
  char line[4096];
  while (std::fgets(line, sizeof line, file)) {
    size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = '\0';
    if (n > 0) names.emplace_back(line, n);
  }
  std::fclose(file);
  return names;
}

// Every THREADS-th name from `first`: opened, read to the end, closed.
bool ReadEach(const std::vector<std::wstring>& names, size_t first, size_t step, DWORD flags,
              unsigned char* buffer, DWORD bufferBytes) {
  bool ok = true;
  for (size_t i = first; i < names.size(); i += step) {
    HANDLE file = ::CreateFileW(names[i].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      ok = false;
      continue;
    }
    DWORD got = 0;
    while (::ReadFile(file, buffer, bufferBytes, &got, nullptr) && got > 0) {
    }
    ::CloseHandle(file);
  }
  return ok;
}

int Floor(int argc, char** argv) {
  const std::vector<std::string> utf8 = ReadNames(argv[2]);
  const size_t threads = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1;
  const bool bypass = argc > 4 && std::strcmp(argv[4], "nobuffer") == 0;
  if (utf8.empty() || threads < 1) return 1;
  std::vector<std::wstring> names;
  for (const std::string& name : utf8) names.push_back(Wide(name));
  const DWORD flags = bypass ? FILE_FLAG_NO_BUFFERING : FILE_ATTRIBUTE_NORMAL;
  constexpr DWORD kBuffer = 65536;
  std::vector<unsigned char*> buffers;
  for (size_t t = 0; t < threads; ++t)
    buffers.push_back(static_cast<unsigned char*>(
        ::VirtualAlloc(nullptr, kBuffer, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
  const uint64_t start = Now();
  bool ok = true;
  if (threads == 1) {
    ok = ReadEach(names, 0, 1, flags, buffers[0], kBuffer);
  } else {
    std::vector<std::thread> pool;
    std::vector<char> oks(threads, 1);
    for (size_t t = 0; t < threads; ++t)
      pool.emplace_back(
          [&, t] { oks[t] = ReadEach(names, t, threads, flags, buffers[t], kBuffer) ? 1 : 0; });
    for (std::thread& thread : pool) thread.join();
    for (char k : oks) ok = ok && k;
  }
  const double seconds = Seconds(Now() - start);
  std::printf("floor: %zu files, %zu thread(s)%s: %.3f s, %.1f us a file\n", names.size(), threads,
              bypass ? ", bypassing the cache" : "", seconds,
              seconds * 1e6 / static_cast<double>(names.size()));
  std::printf("= floor %.4f\n", seconds);
  return ok ? 0 : 2;
}

int Engine(char** argv) {
  const std::vector<std::string> names = ReadNames(argv[2]);
  FileHasherOptions options;
  options.Workers = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
  const DigestAlgorithm algorithm =
      std::strcmp(argv[4], "md5") == 0 ? DigestAlgorithm::Md5 : DigestAlgorithm::Crc32;
  FILE* out = std::fopen(argv[5], "wb");
  if (names.empty() || !out) return 1;
  FileHasher* hasher = CreateFileHasher(options);
  if (!hasher) return 1;
  std::vector<std::string> lines(names.size());
  const uint64_t start = Now();
  size_t next = 0, taken = 0, failed = 0;
  FileResult result;
  while (taken < names.size()) {
    if (next < names.size()) {
      FileRequest request;
      request.Path = names[next].c_str();
      request.Algorithm = algorithm;
      if (SubmitFile(hasher, request) == SubmitOutcome::Accepted) {
        ++next;
        continue;
      }
    }
    if (WaitFileResult(hasher, &result, INFINITE) != TakeOutcome::Ready) return 1;
    if (result.Status != Hashed) ++failed;
    std::string& line = lines[result.Sequence];
    char pair[3];
    for (int i = 0; i < DigestBytes(algorithm); ++i) {
      std::snprintf(pair, sizeof pair, "%02x", result.Digest.Bytes[i]);
      line += pair;
    }
    ++taken;
  }
  const double seconds = Seconds(Now() - start);
  const size_t memory = FileHasherMemoryBytes(hasher);
  DestroyFileHasher(hasher);
  for (size_t i = 0; i < names.size(); ++i)
    std::fprintf(out, "%s %s\n", lines[i].c_str(), names[i].c_str());
  std::fclose(out);
  std::printf(
      "engine: %zu files, %u at once, %s: %.3f s, %.1f us a file, %zu failed, %.1f MiB held\n",
      names.size(), options.Workers, argv[4], seconds,
      seconds * 1e6 / static_cast<double>(names.size()), failed,
      static_cast<double>(memory) / 1048576.0);
  std::printf("= engine %.4f\n", seconds);
  return failed == 0 ? 0 : 2;
}

int Seek(const char* path) {
  static const char* const kSteps[] = {"the volume's path",   "opening the volume",
                                       "the volume's disks",  "opening the disk",
                                       "the disk's property", "answered"};
  static const char* const kAnswers[] = {"no seek penalty", "seek penalty", "unknown"};
  SeekPenaltyTrace trace;
  const SeekPenalty answer = QuerySeekPenalty(path, &trace);
  std::printf("seek penalty of %s: %s (stopped at %s, error %lu, disk %lu)\n", path,
              kAnswers[static_cast<int>(answer)], kSteps[static_cast<int>(trace.Step)],
              static_cast<unsigned long>(trace.Error),
              static_cast<unsigned long>(trace.DiskNumber));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "floor") == 0) return Floor(argc, argv);
  if (argc >= 6 && std::strcmp(argv[1], "engine") == 0) return Engine(argv);
  if (argc >= 3 && std::strcmp(argv[1], "seek") == 0) return Seek(argv[2]);
  std::fprintf(stderr,
               "usage: many_files_bench floor NAMES [THREADS] [nobuffer]\n"
               "       many_files_bench engine NAMES WORKERS crc|md5 OUT\n"
               "       many_files_bench seek PATH\n");
  return 1;
}
