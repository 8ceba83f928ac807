// The native stand-in for the ANSI code page: Latin-1.
#include "platform/ansi_codepage.h"

int32_t ConvertUtf16ToAnsi(const uint16_t* units, uint32_t count, char* out, uint32_t capacity) {
  if (count > capacity) return -1;
  for (uint32_t i = 0; i < count; ++i) out[i] = units[i] < 256 ? static_cast<char>(units[i]) : '?';
  return static_cast<int32_t>(count);
}
