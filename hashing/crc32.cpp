#include "hashing/crc32.h"

#include "hashing/crc32_paths.h"

uint32_t UpdateCRC32(uint32_t crc, const void* data, uint32_t length) {
  return UpdateCRC32Reference(crc, data, length);
}
