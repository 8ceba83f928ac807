#include "verifier/settings_words.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

bool EqualsNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

bool IsOnWord(const char* value) {
  return value[0] == '1' || EqualsNoCase(value, "yes") || EqualsNoCase(value, "true") ||
         EqualsNoCase(value, "on");
}

bool IsOffWord(const char* value) {
  return value[0] == '0' || EqualsNoCase(value, "no") || EqualsNoCase(value, "false") ||
         EqualsNoCase(value, "off");
}

uint64_t ParseExpireTime(const char* text) {
  uint32_t total = 0;
  const char* p = text;
  while (*p != '\0') {
    if (*p < '0' || *p > '9') {
      ++p;
      continue;
    }
    uint32_t n = 0;
    while (*p >= '0' && *p <= '9') n = n * 10u + static_cast<uint32_t>(*p++ - '0');
    if (*p == '\0') break;  // a number with no unit adds nothing
    switch (*p | 0x20) {
      case 'd':
        total += n * 86400u;
        break;
      case 'h':
        total += n * 3600u;
        break;
      case 'm':
        total += n * 60u;
        break;
      case 's':
        total += n;
        break;
      default:
        break;
    }
    ++p;
  }
  return static_cast<uint64_t>(total) * 10000000u;
}

void FormatSignature(uint64_t fileTime, char* out, size_t capacity) {
  std::snprintf(out, capacity, "%" PRIx64, fileTime);
}

bool IniPathFromModulePath(const char* modulePath, char* out, size_t capacity) {
  size_t length = std::strlen(modulePath);
  const char* name = std::strrchr(modulePath, '\\');
  name = name ? name + 1 : modulePath;
  const char* dot = std::strchr(name, '.');
  size_t keep = dot ? static_cast<size_t>(dot - modulePath) : length;
  size_t total = keep + (dot ? 4 : 0);
  if (total + 1 > capacity) return false;
  std::memcpy(out, modulePath, keep);
  if (dot) std::memcpy(out + keep, ".ini", 4);
  out[total] = '\0';
  return true;
}
