#include "formats/text_encoding.h"

#include <cstring>

#include "platform/ansi_codepage.h"
#include "platform/utf8.h"

namespace {

bool AllAscii8(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return (v & 0x8080808080808080ull) == 0;
}

}  // namespace

uint32_t ByteOrderMarkSize(TextEncoding e) {
  switch (e) {
    case TextEncoding::Utf8Bom:
      return 3;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      return 2;
    default:
      return 0;
  }
}

void FeedEncodingScan(EncodingScan* s, const char* data, size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size && s->Seen + i < 3; ++i) s->Head[s->Seen + i] = p[i];
  s->Seen += size;
  if (!s->Utf8) return;  // ANSI already: nothing further can change that
  size_t i = 0;
  uint32_t cp;
  // A sequence the last piece cut short is completed byte by byte.
  while (s->PendingCount > 0 && i < size) {
    s->Pending[s->PendingCount++] = data[i++];
    const int n = DecodeUtf8(s->Pending, s->PendingCount, &cp);
    if (n == 0) {
      s->Utf8 = false;
      return;
    }
    if (n > 0) s->PendingCount = 0;
  }
  while (i < size) {
    // Runs of ASCII go eight bytes at a time.
    while (i + 8 <= size && AllAscii8(p + i)) i += 8;
    if (i == size) break;
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    s->Ascii = false;
    const int n = DecodeUtf8(data + i, size - i, &cp);
    if (n == 0) {
      s->Utf8 = false;
      return;
    }
    if (n < 0) {
      s->PendingCount = static_cast<uint8_t>(size - i);
      std::memcpy(s->Pending, data + i, size - i);
      return;
    }
    i += static_cast<size_t>(n);
  }
}

TextEncoding FinishEncodingScan(const EncodingScan& s) {
  const unsigned char* h = s.Head;
  if (s.Seen >= 3 && h[0] == 0xEF && h[1] == 0xBB && h[2] == 0xBF) return TextEncoding::Utf8Bom;
  if (s.Seen >= 2 && h[0] == 0xFF && h[1] == 0xFE) return TextEncoding::Utf16Le;
  if (s.Seen >= 2 && h[0] == 0xFE && h[1] == 0xFF) return TextEncoding::Utf16Be;
  if (s.Ascii && s.Utf8) return TextEncoding::Ascii;
  // A sequence cut short by the end of the text is not valid UTF-8.
  if (s.Utf8 && s.PendingCount == 0) return TextEncoding::Utf8;
  return TextEncoding::Ansi;
}

TextEncoding EncodingByMark(const char* data, size_t size) {
  EncodingScan scan;
  FeedEncodingScan(&scan, data, size < 3 ? size : 3);
  const TextEncoding e = FinishEncodingScan(scan);
  return ByteOrderMarkSize(e) > 0 ? e : TextEncoding::Ascii;
}

TextEncoding DecideTextEncoding(const char* data, size_t size) {
  EncodingScan scan;
  FeedEncodingScan(&scan, data, size);
  return FinishEncodingScan(scan);
}

TextEncoding DetectFileEncoding(NativeFile file, char* buffer, uint32_t bufferSize) {
  EncodingScan scan;
  SeekFile(file, 0, SeekFrom::Begin, nullptr);
  for (;;) {
    uint32_t got = 0;
    if (!ReadFromFile(file, buffer, bufferSize, &got) || got == 0) break;
    FeedEncodingScan(&scan, buffer, got);
    // A byte-order mark decides alone; a text found not to be UTF-8 is ANSI
    // whatever follows.
    if (scan.Seen >= 3 && ByteOrderMarkSize(FinishEncodingScan(scan)) > 0) break;
    if (!scan.Utf8) break;
  }
  SeekFile(file, 0, SeekFrom::Begin, nullptr);
  return FinishEncodingScan(scan);
}

int32_t Utf16BytesToUtf8(const unsigned char* bytes, size_t size, bool bigEndian, char* out,
                         size_t capacity, size_t* written) {
  const size_t count = size / 2;
  const int hi = bigEndian ? 0 : 1;
  auto unit = [&](size_t k) -> uint32_t {
    return (uint32_t{bytes[2 * k + hi]} << 8) | bytes[2 * k + 1 - hi];
  };
  size_t at = 0;
  for (size_t k = 0; k < count; ++k) {
    uint32_t cp = unit(k);
    size_t units = 1;
    if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < count) {
      const uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        units = 2;
      }
    }
    // An unpaired surrogate keeps its three-byte form, as names do.
    char form[4];
    const size_t need = static_cast<size_t>(EncodeUtf8(cp, form));
    if (at + need > capacity) {
      if (written) *written = at;
      return -1;
    }
    std::memcpy(out + at, form, need);
    at += need;
    k += units - 1;
  }
  if (written) *written = at;
  return static_cast<int32_t>(at);
}

std::string TextAsUtf8(const char* data, size_t size, TextEncoding e) {
  std::string text;
  if (IsUtf16(e)) {
    // Each unit takes at most three bytes (a pair four for two units).
    text.resize(size / 2 * 3);
    size_t n = 0;
    Utf16BytesToUtf8(reinterpret_cast<const unsigned char*>(data), size, e == TextEncoding::Utf16Be,
                     text.data(), text.size(), &n);
    text.resize(n);
  } else if (e == TextEncoding::Ansi) {
    if (!AppendAnsiAsUtf8(data, size, &text)) text.assign(data, size);
  } else {
    text.assign(data, size);
  }
  return text;
}

std::string TextForList(const std::string& utf8, TextEncoding e) {
  if (!IsUtf16(e)) return utf8;
  std::u16string units;
  AppendUtf8AsUtf16(utf8.data(), utf8.size(), &units);
  std::string bytes;
  bytes.reserve(units.size() * 2);
  const bool big = e == TextEncoding::Utf16Be;
  for (char16_t u : units) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    bytes.push_back(big ? high : low);
    bytes.push_back(big ? low : high);
  }
  return bytes;
}
