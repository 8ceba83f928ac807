// Slicing-by-16: sixteen bytes per step through sixteen tables.
#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"
#include "hashing/crc32_slice_tables.h"

uint32_t UpdateCRC32Slice16(uint32_t crc, const void* data, uint32_t length) {
  using namespace crc32_slice;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (; length >= 16; length -= 16, p += 16) crc = Slice16Step(crc, p);
  const auto& t = kSlice.t;
  for (; length != 0; --length, ++p) crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
  return crc;
}
