// The ANSI code page of the system (CP_ACP) with the wide conversion calls.
#include <windows.h>

#include "platform/ansi_codepage.h"
#include "platform/utf8.h"

bool AppendAnsiAsUtf8(const char* ansi, size_t size, std::string* out) {
  if (size == 0) return true;
  if (size > 0x7FFFFFFF) return false;
  // MB_ERR_INVALID_CHARS: a byte sequence the code page does not define
  // fails the call instead of becoming a default character.
  const int count = static_cast<int>(size);
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, count, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, count, wide.data(), n) != n)
    return false;
  AppendUtf16AsUtf8(reinterpret_cast<const uint16_t*>(wide.data()), wide.size(), out);
  return true;
}

bool AppendUtf8AsAnsi(const char* utf8, size_t size, std::string* out, bool exact) {
  std::u16string units;
  AppendUtf8AsUtf16(utf8, size, &units);
  if (units.empty()) return true;
  if (units.size() > 0x7FFFFFFF) return false;
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  const int count = static_cast<int>(units.size());
  // A UTF-8 ANSI code page (65001) takes neither the flag nor a default
  // character, and holds every character anyway.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* fallback = "?";
  BOOL lossy = FALSE;
  BOOL* lossFlag = exact ? &lossy : nullptr;
  int n = WideCharToMultiByte(CP_ACP, flags, wide, count, nullptr, 0, fallback, lossFlag);
  if (n <= 0) {
    flags = 0;
    fallback = nullptr;
    lossFlag = nullptr;
    n = WideCharToMultiByte(CP_ACP, flags, wide, count, nullptr, 0, fallback, lossFlag);
  }
  if (n <= 0 || lossy) return false;
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide, count, ansi.data(), n, fallback, lossFlag);
  if (lossy) return false;
  if (exact) {
    // Some code pages map a character to a byte that comes back as another
    // one without reporting it; only a round trip proves the form exact.
    std::string back;
    if (!AppendAnsiAsUtf8(ansi.data(), ansi.size(), &back) || back != std::string(utf8, size))
      return false;
  }
  *out += ansi;
  return true;
}
