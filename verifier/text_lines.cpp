#include "verifier/text_lines.h"

#include <cstring>

namespace {

constexpr size_t kRead = 512;                         // the line reader's read size
constexpr size_t kRoom = sizeof(TextLine::text) - 1;  // bytes a line keeps

// The line terminator in one read: the first LF, or when there is none the
// first CR; -1 when neither.
long Terminator(const char* chunk, size_t length) {
  const void* lf = std::memchr(chunk, '\n', length);
  if (lf) return static_cast<const char*>(lf) - chunk;
  const void* cr = std::memchr(chunk, '\r', length);
  if (cr) return static_cast<const char*>(cr) - chunk;
  return -1;
}

size_t Window(size_t size, size_t at) {
  size_t left = size - at;
  return left < kRead ? left : kRead;
}

}  // namespace

bool NextTextLine(const char* data, size_t size, size_t* at, TextLine* line) {
  size_t p = *at;
  line->before = p;
  for (;;) {
    const size_t start = p;
    size_t stored = 0;
    bool lastReadHadBytes = false;
    bool terminated = false;
    while (stored < kRoom) {
      size_t w = Window(size, p);
      lastReadHadBytes = w > 0;
      if (w == 0) break;
      long end = Terminator(data + p, w);
      size_t lineBytes = end >= 0 ? static_cast<size_t>(end) : w;
      size_t take = lineBytes < kRoom - stored ? lineBytes : kRoom - stored;
      stored += take;
      if (end >= 0) {
        p += static_cast<size_t>(end) + 1;
        terminated = true;
        break;
      }
      p += take;  // a full buffer stops at the first byte that did not fit
    }
    if (!terminated && stored == kRoom) {
      // The rest of an over-long line is dropped, read on to its terminator.
      for (;;) {
        size_t w = Window(size, p);
        if (w == 0) break;
        long end = Terminator(data + p, w);
        if (end >= 0) {
          p += static_cast<size_t>(end) + 1;
          break;
        }
        p += w;
      }
    }
    std::memcpy(line->text, data + start, stored);
    while (stored > 0 && (line->text[stored - 1] == '\r' || line->text[stored - 1] == '\n')) {
      --stored;
    }
    line->text[stored] = '\0';
    *at = p;
    if (stored > 0 && line->text[0] != '\0') {
      line->length = static_cast<uint32_t>(stored);
      line->after = p;
      return true;
    }
    if (!lastReadHadBytes) return false;
  }
}
