// The ANSI code page of the system (CP_ACP) with the wide conversion calls.
#include <windows.h>

#include "platform/ansi_codepage.h"
#include "platform/utf8.h"

static_assert(sizeof(wchar_t) == sizeof(uint16_t), "UTF-16 units are wchar_t on Windows");

int32_t ConvertUtf16ToAnsi(const uint16_t* units, uint32_t count, char* out, uint32_t capacity) {
  if (count == 0) return 0;
  if (count > 0x7FFFFFFF || capacity > 0x7FFFFFFF) return -1;
  // A zero capacity would turn the call into a size query that returns the
  // length needed, which the caller would take for bytes written.
  if (capacity == 0) return -1;
  const int written = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(units),
                                          static_cast<int>(count), out, static_cast<int>(capacity),
                                          nullptr, nullptr);
  // 0 with units to convert: the buffer was too small (or the call failed).
  return written > 0 ? written : -1;
}

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
