// The system's Unicode case mapping for the case-insensitive sort indexes:
// a character's lower-case form as Windows gives it, the same for every user
// (the invariant locale, no language-specific rules).
#include "results/results_state_win32.h"

uint32_t SystemCaseFold(uint32_t c) {
  wchar_t in[2];
  int n = 1;
  if (c < 0x10000) {
    in[0] = static_cast<wchar_t>(c);
  } else {
    in[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    in[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    n = 2;
  }
  wchar_t out[4] = {};
  const int got = LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, in, n, out, 4);
  // One character in, one character out; anything else keeps it as it is.
  if (got == 1 && out[0] != 0 && (out[0] < 0xD800 || out[0] > 0xDFFF)) return out[0];
  if (got == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF && out[1] >= 0xDC00 && out[1] <= 0xDFFF) {
    return 0x10000 + ((static_cast<uint32_t>(out[0]) - 0xD800) << 10) + (out[1] - 0xDC00);
  }
  return c;
}
