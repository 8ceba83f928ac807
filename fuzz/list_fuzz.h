// Shared harness of the list-reader fuzz targets: the input is written to a
// real file (in memory, under /dev/shm when it exists) and read through the
// portable file interface exactly as a run reads a list.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/list_detection.h"
#include "formats/list_reader.h"
#include "platform/file.h"

namespace fuzzlist {

// A violated property is a finding just like a crash.
#define FUZZ_CHECK(condition)                                    \
  do {                                                           \
    if (!(condition)) {                                          \
      std::fprintf(stderr, "property failed: %s\n", #condition); \
      std::abort();                                              \
    }                                                            \
  } while (0)

// The folder of this process's lists and the names written into it, removed
// again when the fuzzer exits.
struct Scratch {
  char Folder[256];
  char Used[32][64];
  int UsedCount;
};
inline Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}
inline void RemoveScratch() {
  Scratch& s = TheScratch();
  char path[512];
  for (int i = 0; i < s.UsedCount; ++i) {
    std::snprintf(path, sizeof path, "%s/list%s", s.Folder, s.Used[i]);
    unlink(path);
  }
  rmdir(s.Folder);
}

inline const char* Folder() {
  Scratch& s = TheScratch();
  if (!s.Folder[0]) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::snprintf(s.Folder, sizeof s.Folder, "%s/corvana-fuzz-%ld", base,
                  static_cast<long>(getpid()));
    mkdir(s.Folder, 0700);
    std::atexit(RemoveScratch);
  }
  return s.Folder;
}

inline void NoteUsed(const char* extension) {
  Scratch& s = TheScratch();
  for (int i = 0; i < s.UsedCount; ++i)
    if (std::strcmp(s.Used[i], extension) == 0) return;
  if (s.UsedCount < 32 && std::strlen(extension) < sizeof s.Used[0])
    std::strcpy(s.Used[s.UsedCount++], extension);
}

// Writes `data` to "<folder>/list<extension>" and returns the path (valid
// until the next call).
inline const char* WriteList(const char* extension, const uint8_t* data, size_t size,
                             const char* prefix = "") {
  static char path[512];
  std::snprintf(path, sizeof path, "%s/list%s", Folder(), extension);
  NoteUsed(extension);
  UniqueFile out(OpenFile(path, OpenMode::CreateExclusive));
  if (!out) std::abort();
  const size_t prefixLength = std::strlen(prefix);
  if (prefixLength) FUZZ_CHECK(WriteToFile(out.Get(), prefix, static_cast<uint32_t>(prefixLength)));
  if (size) FUZZ_CHECK(WriteToFile(out.Get(), data, static_cast<uint32_t>(size)));
  return path;
}

inline void IgnoreReport(void* context, const char* text) {
  // A report is one bounded line of text.
  FUZZ_CHECK(std::strlen(text) < 1024);
  ++*static_cast<uint64_t*>(context);
}

// A well-formed entry: the name is terminated inside FileName, lists without
// sizes say so, binary records carry 32-bit sizes.
inline void CheckEntry(ListFormat format, const ListEntry& e) {
  FUZZ_CHECK(std::memchr(e.FileName, 0, sizeof e.FileName) != nullptr);
  if (format == ListFormat::Sfv || format == ListFormat::TextCrc || format == ListFormat::Md5 ||
      format == ListFormat::DigestList)
    FUZZ_CHECK(e.ExpectedSize == UnknownSize);
  // Every entry says its algorithm: its own in a digest list, the format's in
  // the others.
  if (format == ListFormat::DigestList) {
    FUZZ_CHECK(e.Algorithm != DigestAlgorithm::Crc32 && e.Algorithm <= DigestAlgorithm::Xxh128);
    FUZZ_CHECK(e.FileName[0] != '\0');
  } else {
    FUZZ_CHECK(e.Algorithm == (UsesMd5(format) ? DigestAlgorithm::Md5 : DigestAlgorithm::Crc32));
  }
  if (format == ListFormat::BinaryCrc) FUZZ_CHECK((e.ExpectedSize >> 32) == 0);
}

// The whole calling order of a run on the list at `path`: detect, count,
// position, read. The counting pass and the reading pass must agree.
// Returns the detected format (Sfv when the host takes no list).
inline ListFormat RunList(const char* path, ListHost host) {
  static ListReader reader;
  uint64_t reports = 0;
  InitListReader(&reader, host, IgnoreReport, &reports);
  UniqueFile file(OpenFile(path, OpenMode::ReadShared));
  FUZZ_CHECK(file.Valid());
  if (!DetectListFormat(&reader, path, file.Get())) return ListFormat::Sfv;
  const int64_t count = CountListEntries(&reader, file.Get());
  FUZZ_CHECK(reports == 0);  // the counting pass never reports
  if (reader.Invalid) FUZZ_CHECK(count == -1);
  if (!PositionListForReading(&reader, file.Get())) return reader.Format;
  int64_t read = 0;
  ListEntry entry;
  for (;;) {
    std::memset(&entry, 0xA5, sizeof entry);
    if (ReadListEntry(&reader, file.Get(), &entry) <= 0) break;
    CheckEntry(reader.Format, entry);
    ++read;
  }
  FUZZ_CHECK(read == count);
  if (host == ListHost::ShellExtension) FUZZ_CHECK(reports == 0);
  return reader.Format;
}

// What RunBothHosts leaves to its caller: the list's path (valid until the
// next list is written) and the format the verifier detected.
struct BothHosts {
  const char* Path;
  ListFormat VerifierFormat;
};

// Writes the list and runs it in the verifier, then in the shell extension.
inline BothHosts RunBothHosts(const char* extension, const uint8_t* data, size_t size,
                              const char* prefix = "") {
  const char* path = WriteList(extension, data, size, prefix);
  const ListFormat format = RunList(path, ListHost::Verifier);
  RunList(path, ListHost::ShellExtension);
  return {path, format};
}

}  // namespace fuzzlist
