// The performance counter as the Windows benchmarks read it: a count of
// ticks, and a count of ticks in seconds.
#pragma once

#include <windows.h>

#include <cstdint>

inline uint64_t Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<uint64_t>(t.QuadPart);
}

inline double Seconds(uint64_t ticks) {
  static const double kTickSeconds = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1.0 / static_cast<double>(frequency.QuadPart);
  }();
  return static_cast<double>(ticks) * kTickSeconds;
}

// Seconds since the counter started; differences give elapsed time.
inline double NowSeconds() {
  return Seconds(Now());
}
