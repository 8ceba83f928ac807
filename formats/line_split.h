// How a list's text splits into lines: the one statement of the rule, shared
// by the line reader (a file, read 512 bytes at a time) and the database code
// (a list already in memory). Both must cut every list identically, or the
// database would be looked for on another line than the one the readers
// stop at.
//
// UTF-16 lists split by the same rule over 16-bit units (SplitNextLineOf).
//
// A Source hands out the next read and can move its position relative to
// where the last read left it:
//   bool Read(const char** chunk, uint32_t* got);  // up to kLineChunk bytes; false on failure
//   bool Move(int64_t delta);                      // false on failure
#pragma once

#include <cstdint>
#include <cstring>

constexpr uint32_t kLineChunk = 512;

// Index of the line's terminator in one read, or -1: the first LF, and only
// when the read holds no LF, the first CR.
inline int32_t FindLineTerminator(const char* chunk, uint32_t length) {
  const void* lf = std::memchr(chunk, '\n', length);
  if (lf) return static_cast<int32_t>(static_cast<const char*>(lf) - chunk);
  const void* cr = std::memchr(chunk, '\r', length);
  if (cr) return static_cast<int32_t>(static_cast<const char*>(cr) - chunk);
  return -1;
}

// The unit of a line's text: a byte, or a UTF-16 unit in either byte order.
// The same rule splits both; positions and lengths stay in bytes.
struct ByteUnits {
  static constexpr uint32_t kSize = 1;
  static int32_t FindTerminator(const char* chunk, uint32_t length) {
    return FindLineTerminator(chunk, length);
  }
  static uint32_t At(const char* text, uint32_t i) { return static_cast<unsigned char>(text[i]); }
};

template <bool BigEndian>
struct Utf16Units {
  static constexpr uint32_t kSize = 2;
  static uint32_t At(const char* text, uint32_t i) {
    const auto* p = reinterpret_cast<const unsigned char*>(text + i);
    return BigEndian ? (uint32_t{p[0]} << 8) | p[1] : (uint32_t{p[1]} << 8) | p[0];
  }
  // Byte index of the terminating unit, as FindLineTerminator for bytes.
  static int32_t FindTerminator(const char* chunk, uint32_t length) {
    int32_t cr = -1;
    for (uint32_t i = 0; i + 1 < length; i += 2) {
      const uint32_t u = At(chunk, i);
      if (u == '\n') return static_cast<int32_t>(i);
      if (u == '\r' && cr < 0) cr = static_cast<int32_t>(i);
    }
    return cr;
  }
};

// The contract of ReadListLine (formats/line_reader.h), over any Source and
// any unit: `buffer` receives the line's units (at most bufferSize - 1 bytes
// of them) and a zero byte; the length returned is in bytes.
template <class Units, class Source>
int32_t SplitNextLineOf(Source& source, char* buffer, int32_t bufferSize, bool* cut) {
  constexpr uint32_t kUnit = Units::kSize;
  if (cut) *cut = false;
  if (bufferSize < static_cast<int32_t>(kUnit) + 1) {
    if (bufferSize >= 1) buffer[0] = '\0';
    return 0;
  }
  // Room for whole units only.
  const uint32_t room = (static_cast<uint32_t>(bufferSize) - 1) / kUnit * kUnit;
  for (;;) {
    uint32_t stored = 0;
    bool lastReadHadBytes = false;
    bool terminated = false;
    while (stored < room) {
      const char* chunk = nullptr;
      uint32_t got = 0;
      if (!source.Read(&chunk, &got)) return -1;
      // An odd byte at the end of a UTF-16 text is no unit.
      got -= got % kUnit;
      lastReadHadBytes = got > 0;
      if (got == 0) break;
      const int32_t end = Units::FindTerminator(chunk, got);
      const uint32_t lineBytes = end >= 0 ? static_cast<uint32_t>(end) : got;
      const uint32_t take = lineBytes < room - stored ? lineBytes : room - stored;
      std::memcpy(buffer + stored, chunk, take);
      stored += take;
      if (end >= 0) {
        if (take < lineBytes && cut) *cut = true;
        if (!source.Move(static_cast<int64_t>(end) + kUnit - static_cast<int64_t>(got))) return -1;
        terminated = true;
        break;
      }
      // The buffer filled inside this read: step back to the first byte that
      // did not fit, so the skip below starts there.
      if (take < lineBytes &&
          !source.Move(static_cast<int64_t>(take) - static_cast<int64_t>(got))) {
        return -1;
      }
    }
    if (!terminated && stored == room) {
      // Full buffer without a terminator: the rest of the line, up to and
      // including its terminator, is read and dropped.
      for (;;) {
        const char* chunk = nullptr;
        uint32_t got = 0;
        if (!source.Read(&chunk, &got)) return -1;
        got -= got % kUnit;
        if (got == 0) break;
        const int32_t end = Units::FindTerminator(chunk, got);
        // A terminator right at the cut drops nothing of the line.
        if (end != 0 && cut) *cut = true;
        if (end >= 0) {
          if (!source.Move(static_cast<int64_t>(end) + kUnit - static_cast<int64_t>(got)))
            return -1;
          break;
        }
      }
    }
    while (stored > 0) {
      const uint32_t last = Units::At(buffer, stored - kUnit);
      if (last != '\r' && last != '\n') break;
      stored -= kUnit;
    }
    buffer[stored] = '\0';
    if (stored > 0 && Units::At(buffer, 0) != 0) return static_cast<int32_t>(stored);
    if (!lastReadHadBytes) return 0;
  }
}

template <class Source>
int32_t SplitNextLine(Source& source, char* buffer, int32_t bufferSize, bool* cut) {
  return SplitNextLineOf<ByteUnits>(source, buffer, bufferSize, cut);
}
