#include "platform/registry_win32.h"

#include "platform/text_win32.h"

namespace {

// A null name stays null: the default value.
struct OptionalWide {
  explicit OptionalWide(const char* utf8) : present(utf8 != nullptr), text(Wide(utf8)) {}
  const wchar_t* get() const { return present ? text.c_str() : nullptr; }
  bool present;
  std::wstring text;
};

}  // namespace

LSTATUS RegOpenKeyUtf8(HKEY parent, const char* subKey, REGSAM access, HKEY* key) {
  const OptionalWide sub(subKey);
  return ::RegOpenKeyExW(parent, sub.get(), 0, access, key);
}

LSTATUS RegCreateKeyUtf8(HKEY parent, const char* subKey, REGSAM access, HKEY* key,
                         DWORD* disposition) {
  return ::RegCreateKeyExW(parent, Wide(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, key, disposition);
}

LSTATUS RegReadStringUtf8(HKEY key, const char* name, std::string* value) {
  const OptionalWide valueName(name);
  DWORD type = 0, bytes = 0;
  LSTATUS status = ::RegQueryValueExW(key, valueName.get(), nullptr, &type, nullptr, &bytes);
  for (int tries = 0; status == ERROR_SUCCESS || status == ERROR_MORE_DATA; ++tries) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
    std::wstring w(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(w.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key, valueName.get(), nullptr, &type,
                                reinterpret_cast<BYTE*>(w.data()), &bytes);
    if (status == ERROR_SUCCESS) {
      // A stored value need not end in a terminator; stop at the first one.
      w.resize(bytes / sizeof(wchar_t));
      const size_t end = w.find(L'\0');
      if (end != std::wstring::npos) w.resize(end);
      *value = Utf8(w);
      return ERROR_SUCCESS;
    }
    if (tries > 4) break;  // the value keeps growing under us
  }
  return status;
}

LSTATUS RegWriteStringUtf8(HKEY key, const char* name, const char* value) {
  const OptionalWide valueName(name);
  const std::wstring w = Wide(value);
  return ::RegSetValueExW(key, valueName.get(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(w.c_str()),
                          static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

LSTATUS RegDeleteValueUtf8(HKEY key, const char* name) {
  const OptionalWide valueName(name);
  return ::RegDeleteValueW(key, valueName.get());
}

LSTATUS RegDeleteKeyUtf8(HKEY parent, const char* subKey, REGSAM view) {
  return ::RegDeleteKeyExW(parent, Wide(subKey).c_str(), view, 0);
}

LSTATUS RegEnumKeyUtf8(HKEY key, DWORD index, std::string* name) {
  wchar_t buffer[256];  // key names are at most 255 characters
  DWORD n = 256;
  const LSTATUS status = ::RegEnumKeyExW(key, index, buffer, &n, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) *name = Utf8(buffer, static_cast<int>(n));
  return status;
}

LSTATUS RegEnumValueUtf8(HKEY key, DWORD index, std::string* name) {
  wchar_t buffer[16384];  // value names are at most 16,383 characters
  DWORD n = 16384;
  const LSTATUS status =
      ::RegEnumValueW(key, index, buffer, &n, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) *name = Utf8(buffer, static_cast<int>(n));
  return status;
}
