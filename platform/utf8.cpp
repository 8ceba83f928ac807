#include "platform/utf8.h"

int DecodeUtf8(const char* text, size_t size, uint32_t* cp, Utf8Form form) {
  if (size == 0) return -1;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char b = p[0];
  if (b < 0x80) {
    *cp = b;
    return 1;
  }
  // The lead bytes and the range of the byte after each (the table of
  // well-formed byte sequences): C0, C1 and F5..FF lead nothing, E0 and F0
  // exclude the overlong forms, ED the surrogates, F4 what lies above
  // U+10FFFF.
  if (b < 0xC2 || b > 0xF4) return 0;
  const int n = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  unsigned char low = 0x80, high = 0xBF;
  if (b == 0xE0) low = 0xA0;
  if (b == 0xED && form == Utf8Form::Strict) high = 0x9F;
  if (b == 0xF0) low = 0x90;
  if (b == 0xF4) high = 0x8F;
  uint32_t v = b & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
  for (int k = 1; k < n; ++k) {
    if (static_cast<size_t>(k) >= size) return -1;
    const unsigned char c = p[k];
    if (c < low || c > high) return 0;
    low = 0x80;
    high = 0xBF;
    v = (v << 6) | (c & 0x3F);
  }
  *cp = v;
  return n;
}

int EncodeUtf8(uint32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

bool IsAsciiText(const char* text, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

size_t WellFormedUtf8Prefix(const char* text, size_t size, bool* truncated) {
  if (truncated) *truncated = false;
  size_t i = 0;
  while (i < size) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    uint32_t cp;
    const int n = DecodeUtf8(text + i, size - i, &cp);
    if (n <= 0) {
      if (truncated) *truncated = n < 0;
      return i;
    }
    i += static_cast<size_t>(n);
  }
  return i;
}

bool IsValidUtf8(const char* text, size_t size) {
  return WellFormedUtf8Prefix(text, size) == size;
}

void AppendUtf16AsUtf8(const uint16_t* units, size_t count, std::string* out) {
  char bytes[4];
  for (size_t i = 0; i < count; ++i) {
    uint32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    // An unpaired surrogate keeps its three-byte form.
    out->append(bytes, static_cast<size_t>(EncodeUtf8(cp, bytes)));
  }
}

namespace {

// The code points of UTF-8 text as UTF-16 units, handed one by one to `put`
// (false: no room, the conversion stops). A byte that starts no sequence and
// a high surrogate followed by a low one in their three-byte forms become
// U+FFFD.
template <class Put>
bool EachUtf16Unit(const char* text, size_t size, Put put) {
  size_t i = 0;
  while (i < size) {
    uint32_t cp;
    int n = DecodeUtf8(text + i, size - i, &cp, Utf8Form::WindowsName);
    if (n <= 0) {
      cp = 0xFFFD;
      n = 1;
    } else if (cp >= 0xD800 && cp <= 0xDBFF) {
      uint32_t next;
      const size_t after = i + static_cast<size_t>(n);
      if (DecodeUtf8(text + after, size - after, &next, Utf8Form::WindowsName) == 3 &&
          next >= 0xDC00 && next <= 0xDFFF) {
        cp = 0xFFFD;
      }
    }
    i += static_cast<size_t>(n);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      if (!put(static_cast<uint16_t>(0xD800 + (cp >> 10)), 2)) return false;
      if (!put(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)), 1)) return false;
    } else if (!put(static_cast<uint16_t>(cp), 1)) {
      return false;
    }
  }
  return true;
}

}  // namespace

void AppendUtf8AsUtf16(const char* text, size_t size, std::u16string* out) {
  EachUtf16Unit(text, size, [out](uint16_t unit, int) {
    out->push_back(static_cast<char16_t>(unit));
    return true;
  });
}

int32_t ConvertUtf16ToUtf8(const uint16_t* units, uint32_t count, char* out, uint32_t capacity) {
  std::string text;
  AppendUtf16AsUtf8(units, count, &text);
  if (text.size() > capacity) return -1;
  for (size_t i = 0; i < text.size(); ++i) out[i] = text[i];
  return static_cast<int32_t>(text.size());
}

int32_t ConvertUtf8ToUtf16(const char* text, uint32_t size, uint16_t* out, uint32_t capacity) {
  uint32_t n = 0;
  // `needed` units must still fit when the first of them is written, so a
  // pair is never cut in half.
  const bool fits = EachUtf16Unit(text, size, [&](uint16_t unit, int needed) {
    if (capacity - n < static_cast<uint32_t>(needed)) return false;
    out[n++] = unit;
    return true;
  });
  return fits ? static_cast<int32_t>(n) : -1;
}
