// The encoding decision and the transcoding of a list's text: the decision is
// the same whole and fed in two pieces, agrees with the UTF-8 validity of the
// text, and every UTF-8 form made from UTF-16 or ANSI text is valid where it
// must be and stays within its buffer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/text_encoding.h"
#include "platform/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t split = data[0] % size;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  const TextEncoding whole = DecideTextEncoding(text, length);
  EncodingScan scan;
  FeedEncodingScan(&scan, text, split < length ? split : length);
  if (split < length) FeedEncodingScan(&scan, text + split, length - split);
  if (FinishEncodingScan(scan) != whole) std::abort();
  if (ByteOrderMarkSize(whole) == 0) {
    const bool valid = IsValidUtf8(text, length);
    const bool ascii = IsAsciiText(text, length);
    if ((whole == TextEncoding::Ascii) != ascii) std::abort();
    if ((whole == TextEncoding::Utf8) != (valid && !ascii)) std::abort();
    if ((whole == TextEncoding::Ansi) != !valid) std::abort();
  }

  for (bool big : {false, true}) {
    // Into a buffer of a size the input chooses: never beyond it, and the
    // whole characters that fit are a prefix of the full form.
    const std::string full =
        TextAsUtf8(text, length, big ? TextEncoding::Utf16Be : TextEncoding::Utf16Le);
    std::vector<char> out(split + 1);
    size_t written = 0;
    const int32_t n = Utf16BytesToUtf8(data + 1, length, big, out.data(), split, &written);
    if (written > split || full.compare(0, written, out.data(), written) != 0) std::abort();
    if (n >= 0 && static_cast<size_t>(n) != full.size()) std::abort();
    // Back to UTF-16: the same units (unpaired surrogates included).
    const std::string units =
        TextForList(full, big ? TextEncoding::Utf16Be : TextEncoding::Utf16Le);
    if (units != std::string(text, length - length % 2)) std::abort();
  }
  const std::string ansi = TextAsUtf8(text, length, TextEncoding::Ansi);
  if (!IsValidUtf8(ansi.data(), ansi.size())) std::abort();
  return 0;
}
