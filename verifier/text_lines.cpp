#include "verifier/text_lines.h"

#include "formats/line_split.h"

namespace {

// The text in memory as the line splitter's source: reads are windows into
// the text, no copy.
struct MemoryLineSource {
  const char* data;
  size_t size;
  size_t at;

  bool Read(const char** chunk, uint32_t* got) {
    const size_t left = size - at;
    *got = static_cast<uint32_t>(left < kLineChunk ? left : kLineChunk);
    *chunk = data + at;
    at += *got;
    return true;
  }
  bool Move(int64_t delta) {
    at = static_cast<size_t>(static_cast<int64_t>(at) + delta);
    return true;
  }
};

}  // namespace

bool NextTextLine(const char* data, size_t size, size_t* at, TextLine* line) {
  MemoryLineSource source{data, size, *at};
  line->before = *at;
  const int32_t length = SplitNextLine(source, line->text, sizeof line->text, nullptr);
  *at = source.at;
  line->after = source.at;
  line->length = length > 0 ? static_cast<uint32_t>(length) : 0;
  return length > 0;
}
