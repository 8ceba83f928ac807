// CRC-32 of ISO 3309 / ITU-T V.42 (the checksum of SFV lists and ZIP archives),
// reflected polynomial 0xEDB88320.
//
// Contract: UpdateCRC32 neither seeds nor finishes. The caller starts a file
// with the running value 0xFFFFFFFF, passes every block through UpdateCRC32 in
// file order, and takes the bitwise complement after the last block. So the
// CRC of "123456789" is ~UpdateCRC32(0xFFFFFFFF, "123456789", 9) == 0xCBF43926
// and of empty input 0. A zero-length call returns `crc` unchanged; any split
// of the data into several calls gives the same value as one call.
#pragma once

#include <cstdint>

// Entry i is the register after shifting i through eight steps of the
// reflected polynomial; entry 1 is 0x77073096.
extern const uint32_t BigTable[256];

uint32_t UpdateCRC32(uint32_t crc, const void* data, uint32_t length);
