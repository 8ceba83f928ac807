#include "platform/text_win32.h"

#include <cstring>

#include "platform/utf8.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units are wchar_t on Windows");

std::wstring Wide(const char* utf8, int size) {
  std::u16string units;
  if (utf8) AppendUtf8AsUtf16(utf8, size < 0 ? std::strlen(utf8) : size_t(size), &units);
  return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size());
}

std::string Utf8(const wchar_t* text, int count) {
  std::string out;
  if (text)
    AppendUtf16AsUtf8(reinterpret_cast<const uint16_t*>(text),
                      count < 0 ? std::wcslen(text) : size_t(count), &out);
  return out;
}

bool CopyUtf8(const std::string& text, char* out, size_t capacity) {
  if (capacity == 0) return false;
  if (text.size() >= capacity) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}
