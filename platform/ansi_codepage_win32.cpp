// UTF-16 to the system's ANSI code page with WideCharToMultiByte.
#include <windows.h>

#include "platform/ansi_codepage.h"

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
