#include "platform/utf8.h"

namespace {

// The length of the sequence that starts at `p` and its code point, or 0 when
// no well-formed sequence starts there. `allowSurrogates` accepts the
// three-byte forms of U+D800..U+DFFF that carry unpaired surrogates.
int DecodeOne(const unsigned char* p, size_t left, bool allowSurrogates, uint32_t* cp) {
  const unsigned char b = p[0];
  if (b < 0x80) {
    *cp = b;
    return 1;
  }
  int n;
  uint32_t v, min;
  if ((b & 0xE0) == 0xC0) {
    n = 2, v = b & 0x1F, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    n = 3, v = b & 0x0F, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    n = 4, v = b & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (left < static_cast<size_t>(n)) return 0;
  for (int i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    v = (v << 6) | (p[i] & 0x3F);
  }
  if (v < min || v > 0x10FFFF) return 0;
  if (v >= 0xD800 && v <= 0xDFFF && !allowSurrogates) return 0;
  *cp = v;
  return n;
}

void AppendCodePoint(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

bool IsAsciiText(const char* text, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(const char* text, size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < size) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    uint32_t cp;
    const int n = DecodeOne(p + i, size - i, false, &cp);
    if (n == 0) return false;
    i += static_cast<size_t>(n);
  }
  return true;
}

void AppendUtf16AsUtf8(const uint16_t* units, size_t count, std::string* out) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    AppendCodePoint(cp, out);  // an unpaired surrogate keeps its three-byte form
  }
}

void AppendUtf8AsUtf16(const char* text, size_t size, std::u16string* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < size) {
    if (p[i] < 0x80) {
      out->push_back(static_cast<char16_t>(p[i++]));
      continue;
    }
    uint32_t cp;
    const int n = DecodeOne(p + i, size - i, true, &cp);
    if (n == 0) {
      out->push_back(u'\xFFFD');
      ++i;
      continue;
    }
    i += static_cast<size_t>(n);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out->push_back(static_cast<char16_t>(cp));
    }
  }
}

int32_t ConvertUtf16ToUtf8(const uint16_t* units, uint32_t count, char* out, uint32_t capacity) {
  std::string text;
  AppendUtf16AsUtf8(units, count, &text);
  if (text.size() > capacity) return -1;
  for (size_t i = 0; i < text.size(); ++i) out[i] = text[i];
  return static_cast<int32_t>(text.size());
}

int32_t ConvertUtf8ToUtf16(const char* text, uint32_t size, uint16_t* out, uint32_t capacity) {
  // The same units as AppendUtf8AsUtf16, written in place.
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  uint32_t i = 0, n = 0;
  while (i < size) {
    uint32_t cp = p[i];
    int length = 1;
    if (cp >= 0x80) {
      length = DecodeOne(p + i, size - i, true, &cp);
      if (length == 0) cp = 0xFFFD, length = 1;
    }
    i += static_cast<uint32_t>(length);
    if (cp >= 0x10000) {
      if (capacity - n < 2) return -1;
      cp -= 0x10000;
      out[n++] = static_cast<uint16_t>(0xD800 + (cp >> 10));
      out[n++] = static_cast<uint16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      if (n == capacity) return -1;
      out[n++] = static_cast<uint16_t>(cp);
    }
  }
  return static_cast<int32_t>(n);
}
