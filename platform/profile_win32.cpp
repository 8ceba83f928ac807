#include "platform/profile_win32.h"

#include "platform/long_path_win32.h"
#include "platform/text_win32.h"

std::string ReadProfileStringUtf8(const char* section, const char* key, const char* fallback,
                                  const char* file) {
  const std::wstring s = Wide(section), k = Wide(key), d = Wide(fallback ? fallback : "");
  const std::wstring path = SystemPath(file);
  std::wstring value(1024, L'\0');
  for (;;) {
    const DWORD n = ::GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), value.data(),
                                               static_cast<DWORD>(value.size()), path.c_str());
    if (n + 1 < value.size()) {
      value.resize(n);
      return Utf8(value);
    }
    value.resize(value.size() * 4);  // cut at the buffer: read again, larger
  }
}

UINT ReadProfileIntUtf8(const char* section, const char* key, int fallback, const char* file) {
  return ::GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), fallback,
                                 SystemPath(file).c_str());
}

bool WriteProfileStringUtf8(const char* section, const char* key, const char* value,
                            const char* file) {
  const std::wstring v = Wide(value);
  return ::WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(),
                                      value ? v.c_str() : nullptr,
                                      SystemPath(file).c_str()) != FALSE;
}
