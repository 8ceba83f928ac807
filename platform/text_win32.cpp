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

std::string AnsiToUtf8(const char* ansi, int size) {
  if (size < 0) size = static_cast<int>(std::strlen(ansi));
  if (size == 0) return std::string();
  const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi, size, nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, ansi, size, w.data(), n);
  return Utf8(w);
}

bool Utf8ToAnsiExact(const char* utf8, int size, std::string* ansi) {
  ansi->clear();
  const std::wstring w = Wide(utf8, size);
  if (w.empty()) return true;
  const int count = static_cast<int>(w.size());
  BOOL lossy = FALSE;
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), count, nullptr, 0,
                                      nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  ansi->resize(n);
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), count, ansi->data(), n, nullptr,
                        &lossy);
  if (lossy) return false;
  // Some code pages map a character to a byte that comes back as another one
  // without reporting it; only a round trip proves the form exact.
  return AnsiToUtf8(ansi->data(), n) == std::string(utf8, size < 0 ? std::strlen(utf8) : size);
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
