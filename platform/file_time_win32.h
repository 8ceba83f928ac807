// FILETIME values as one 64-bit count of 100-nanosecond ticks since 1601,
// the form the database lines and the modified-file check compare.
#pragma once

#include <windows.h>

#include <cstdint>

inline uint64_t FileTimeTicks(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// The current system time (UTC) in the same ticks.
inline uint64_t SystemTimeTicks() {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  return FileTimeTicks(ft);
}
