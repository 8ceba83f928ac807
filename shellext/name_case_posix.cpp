#include "shellext/name_case.h"

namespace {

unsigned char FoldUpper(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

}  // namespace

int CompareUnicodeNoCase(const char* a, size_t aLength, const char* b, size_t bLength) {
  const size_t n = aLength < bLength ? aLength : bLength;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = FoldUpper(static_cast<unsigned char>(a[i]));
    const unsigned char y = FoldUpper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return aLength == bLength ? 0 : aLength < bLength ? -1 : 1;
}

uint32_t HashUnicodeNoCase(const char* text, size_t length, uint32_t hash) {
  for (size_t i = 0; i < length; ++i) {
    hash ^= FoldUpper(static_cast<unsigned char>(text[i]));
    hash *= 16777619u;
  }
  return hash;
}
