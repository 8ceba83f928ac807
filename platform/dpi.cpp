#include "platform/dpi.h"

#include <cstdint>

namespace {

int MulDivRounded(int value, int numerator, int denominator) {
  const int64_t product = int64_t{value} * numerator;
  const int64_t half = denominator / 2;
  const int64_t q = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
  if (q > INT32_MAX) return INT32_MAX;
  if (q < INT32_MIN) return INT32_MIN;
  return static_cast<int>(q);
}

int Known(int dpi) {
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int ScaleForDpi(int value, int dpi) {
  return MulDivRounded(value, Known(dpi), kBaseDpi);
}

int ScaleTo96(int value, int dpi) {
  return MulDivRounded(value, kBaseDpi, Known(dpi));
}

int NearestImageSize(int base, int dpi) {
  const int wanted = ScaleForDpi(base, dpi);
  int best = kImageSizes[0];
  for (int size : kImageSizes) {
    const int distance = size > wanted ? size - wanted : wanted - size;
    const int bestDistance = best > wanted ? best - wanted : wanted - best;
    if (distance <= bestDistance) best = size;
  }
  return best;
}
