// The native stand-in for the ANSI code page: Latin-1.
#include "platform/ansi_codepage.h"

#include "platform/utf8.h"

bool AppendAnsiAsUtf8(const char* ansi, size_t size, std::string* out) {
  char bytes[4];
  for (size_t i = 0; i < size; ++i)
    out->append(bytes, static_cast<size_t>(EncodeUtf8(static_cast<unsigned char>(ansi[i]), bytes)));
  return true;
}

bool AppendUtf8AsAnsi(const char* utf8, size_t size, std::string* out, bool exact) {
  std::u16string units;
  AppendUtf8AsUtf16(utf8, size, &units);
  std::string ansi;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF)
      ++i;  // one character, one '?'
    if (u >= 256 && exact) return false;
    ansi.push_back(u < 256 ? static_cast<char>(u) : '?');
  }
  *out += ansi;
  return true;
}
