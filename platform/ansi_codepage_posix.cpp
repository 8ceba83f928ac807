// The native stand-in for the ANSI code page: Latin-1.
#include "platform/ansi_codepage.h"

#include "platform/utf8.h"

void AppendAnsiAsUtf8(const char* ansi, size_t size, std::string* out) {
  for (size_t i = 0; i < size; ++i) {
    const unsigned char b = static_cast<unsigned char>(ansi[i]);
    if (b < 0x80) {
      out->push_back(static_cast<char>(b));
    } else {
      out->push_back(static_cast<char>(0xC0 | (b >> 6)));
      out->push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
}

void AppendUtf8AsAnsi(const char* utf8, size_t size, std::string* out) {
  std::u16string units;
  AppendUtf8AsUtf16(utf8, size, &units);
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF)
      ++i;  // one character, one '?'
    out->push_back(u < 256 ? static_cast<char>(u) : '?');
  }
}
