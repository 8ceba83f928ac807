#include "formats/line_reader.h"

#include <cstring>

namespace {

constexpr uint32_t kChunk = 512;

// Index of the line's terminator in the chunk, or -1: the first LF, and only
// when the chunk holds no LF, the first CR.
int32_t FindTerminator(const char* chunk, uint32_t length) {
  const void* lf = std::memchr(chunk, '\n', length);
  if (lf) return static_cast<int32_t>(static_cast<const char*>(lf) - chunk);
  const void* cr = std::memchr(chunk, '\r', length);
  if (cr) return static_cast<int32_t>(static_cast<const char*>(cr) - chunk);
  return -1;
}

// Reads on to the end of an over-long line and leaves the position behind its
// terminator. Returns the number of line bytes skipped before the terminator,
// or -1 on a failure.
int64_t SkipRestOfLine(NativeFile file) {
  char chunk[kChunk];
  int64_t skipped = 0;
  for (;;) {
    uint32_t got = 0;
    if (!ReadFromFile(file, chunk, kChunk, &got)) return -1;
    if (got == 0) return skipped;
    const int32_t end = FindTerminator(chunk, got);
    if (end >= 0) {
      if (!SeekFile(file, static_cast<int64_t>(end) + 1 - static_cast<int64_t>(got),
                    SeekFrom::Current, nullptr))
        return -1;
      return skipped + end;
    }
    skipped += got;
  }
}

}  // namespace

int32_t ReadListLine(NativeFile file, char* buffer, int32_t bufferSize, bool* cut) {
  if (cut) *cut = false;
  if (bufferSize < 2) {
    if (bufferSize == 1) buffer[0] = '\0';
    return 0;
  }
  const uint32_t room = static_cast<uint32_t>(bufferSize) - 1;
  char chunk[kChunk];
  for (;;) {
    uint32_t stored = 0;
    bool lastReadHadBytes = false;
    bool terminated = false;
    while (stored < room) {
      uint32_t got = 0;
      if (!ReadFromFile(file, chunk, kChunk, &got)) return -1;
      lastReadHadBytes = got > 0;
      if (got == 0) break;
      const int32_t end = FindTerminator(chunk, got);
      const uint32_t lineBytes = end >= 0 ? static_cast<uint32_t>(end) : got;
      const uint32_t take = lineBytes < room - stored ? lineBytes : room - stored;
      std::memcpy(buffer + stored, chunk, take);
      stored += take;
      if (end >= 0) {
        if (take < lineBytes && cut) *cut = true;
        if (!SeekFile(file, static_cast<int64_t>(end) + 1 - static_cast<int64_t>(got),
                      SeekFrom::Current, nullptr))
          return -1;
        terminated = true;
        break;
      }
      if (take < lineBytes) {
        // The buffer filled inside this chunk: step back to the first byte
        // that did not fit, so the skip below starts there.
        if (!SeekFile(file, static_cast<int64_t>(take) - static_cast<int64_t>(got),
                      SeekFrom::Current, nullptr))
          return -1;
      }
    }
    if (!terminated && stored == room) {
      // Full buffer without a terminator: the rest of the line is dropped.
      const int64_t skipped = SkipRestOfLine(file);
      if (skipped < 0) return -1;
      if (skipped > 0 && cut) *cut = true;
    }
    while (stored > 0 && (buffer[stored - 1] == '\r' || buffer[stored - 1] == '\n')) --stored;
    buffer[stored] = '\0';
    if (stored > 0 && buffer[0] != '\0') return static_cast<int32_t>(stored);
    if (!lastReadHadBytes) return 0;
  }
}

uint64_t GetFilePosition(NativeFile file) {
  uint64_t position = 0;
  if (!SeekFile(file, 0, SeekFrom::Current, &position)) return 0;
  return position;
}

uint64_t SetFilePosition(NativeFile file, uint64_t position) {
  uint64_t now = 0;
  if (SeekFile(file, static_cast<int64_t>(position), SeekFrom::Begin, &now)) return now;
  return GetFilePosition(file);
}
