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

bool NextTextLine(const char* data, size_t size, size_t* at, TextLine* line,
                  TextEncoding encoding) {
  MemoryLineSource source{data, size, *at};
  line->before = *at;
  int32_t length = 0;
  if (IsUtf16(encoding)) {
    char units[2 * sizeof line->text];
    const bool big = encoding == TextEncoding::Utf16Be;
    length = big ? SplitNextLineOf<Utf16Units<true>>(source, units, sizeof units, nullptr)
                 : SplitNextLineOf<Utf16Units<false>>(source, units, sizeof units, nullptr);
    size_t written = 0;
    if (length > 0) {
      Utf16BytesToUtf8(reinterpret_cast<const unsigned char*>(units), static_cast<size_t>(length),
                       big, line->text, sizeof line->text - 1, &written);
      length = written > 0 ? static_cast<int32_t>(written) : 1;
    }
    line->text[written] = '\0';
  } else {
    length = SplitNextLine(source, line->text, sizeof line->text, nullptr);
  }
  *at = source.at;
  line->after = source.at;
  line->length = length > 0 ? static_cast<uint32_t>(length) : 0;
  return length > 0;
}
