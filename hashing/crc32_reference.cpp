#include <cstring>

#include "hashing/crc32.h"
#include "hashing/crc32_paths.h"

uint32_t UpdateCRC32Reference(uint32_t crc, const void* data, uint32_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if ((reinterpret_cast<uintptr_t>(p) & 3) == 0 && (length & 3) == 0) {
    for (uint32_t n = length / 4; n != 0; --n, p += 4) {
      uint32_t word;
      std::memcpy(&word, p, 4);
      // The words are little-endian on every target of this program.
      crc ^= word;
      crc = (crc >> 8) ^ BigTable[crc & 0xFF];
      crc = (crc >> 8) ^ BigTable[crc & 0xFF];
      crc = (crc >> 8) ^ BigTable[crc & 0xFF];
      crc = (crc >> 8) ^ BigTable[crc & 0xFF];
    }
    return crc;
  }
  for (; length != 0; --length, ++p) crc = (crc >> 8) ^ BigTable[(crc ^ *p) & 0xFF];
  return crc;
}
