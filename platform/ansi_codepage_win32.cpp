// The ANSI code page of the system (CP_ACP) with the wide conversion calls.
#include <windows.h>

#include "platform/ansi_codepage.h"
#include "platform/utf8.h"

void AppendAnsiAsUtf8(const char* ansi, size_t size, std::string* out) {
  if (size == 0 || size > 0x7FFFFFFF) return;
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(size), nullptr, 0);
  if (n <= 0) return;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(size), wide.data(), n);
  AppendUtf16AsUtf8(reinterpret_cast<const uint16_t*>(wide.data()), wide.size(), out);
}

void AppendUtf8AsAnsi(const char* utf8, size_t size, std::string* out) {
  std::u16string units;
  AppendUtf8AsUtf16(utf8, size, &units);
  if (units.empty() || units.size() > 0x7FFFFFFF) return;
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  const int count = static_cast<int>(units.size());
  // A UTF-8 ANSI code page (65001) takes neither the flag nor a default
  // character, and holds every character anyway.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* fallback = "?";
  int n = WideCharToMultiByte(CP_ACP, flags, wide, count, nullptr, 0, fallback, nullptr);
  if (n <= 0) {
    flags = 0;
    fallback = nullptr;
    n = WideCharToMultiByte(CP_ACP, flags, wide, count, nullptr, 0, fallback, nullptr);
  }
  if (n <= 0) return;
  const size_t at = out->size();
  out->resize(at + static_cast<size_t>(n));
  WideCharToMultiByte(CP_ACP, flags, wide, count, out->data() + at, n, fallback, nullptr);
}
