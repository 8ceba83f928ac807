#include "shellext/name_case.h"

#include <windows.h>

#include <string>

#include "platform/text_win32.h"

int CompareUnicodeNoCase(const char* a, size_t aLength, const char* b, size_t bLength) {
  const std::wstring x = Wide(a, static_cast<int>(aLength));
  const std::wstring y = Wide(b, static_cast<int>(bLength));
  const int result = ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                            static_cast<int>(y.size()), TRUE);
  if (result == CSTR_LESS_THAN) return -1;
  if (result == CSTR_GREATER_THAN) return 1;
  if (result == CSTR_EQUAL) return 0;
  return x < y ? -1 : x == y ? 0 : 1;  // the call failed: the units as they are
}

uint32_t HashUnicodeNoCase(const char* text, size_t length, uint32_t hash) {
  const std::wstring name = Wide(text, static_cast<int>(length));
  std::wstring upper(name.size(), L'\0');
  // The invariant upper case is the mapping the ordinal comparison folds
  // with; the UTF-16 length never changes.
  if (!name.empty() &&
      ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(),
                      static_cast<int>(name.size()), upper.data(), static_cast<int>(upper.size()),
                      nullptr, nullptr, 0) != static_cast<int>(name.size()))
    upper = name;
  for (wchar_t unit : upper) {
    hash ^= static_cast<uint16_t>(unit);
    hash *= 16777619u;
  }
  return hash;
}
