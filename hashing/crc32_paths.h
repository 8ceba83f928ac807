// The interchangeable implementations behind UpdateCRC32. Each one follows the
// contract of hashing/crc32.h exactly (no seeding, no finishing, any address
// and length); the dispatcher picks the fastest the processor runs, and tests
// and benchmarks call them directly.
#pragma once

#include <cstdint>

// The chosen speed measure: one 1 KiB table, a 32-bit word per step when both
// the address and the length are multiples of four, otherwise byte by byte.
uint32_t UpdateCRC32Reference(uint32_t crc, const void* data, uint32_t length);

// Sixteen tables, sixteen bytes per step; runs on every processor.
uint32_t UpdateCRC32Slice16(uint32_t crc, const void* data, uint32_t length);

// Carry-less multiply folding of four 128-bit lanes (PCLMULQDQ, SSE4.1).
// Only callable where CrcPathSupported(CrcPath::Clmul).
uint32_t UpdateCRC32Clmul(uint32_t crc, const void* data, uint32_t length);

// The same folding over 256-bit registers (AVX2 with VPCLMULQDQ).
// Only callable where CrcPathSupported(CrcPath::Vpclmul256).
uint32_t UpdateCRC32Vpclmul256(uint32_t crc, const void* data, uint32_t length);

// The same folding over 512-bit registers (AVX-512F/BW with VPCLMULQDQ).
// Only callable where CrcPathSupported(CrcPath::Vpclmul512).
uint32_t UpdateCRC32Vpclmul512(uint32_t crc, const void* data, uint32_t length);

enum class CrcPath { Reference, Slice16, Clmul, Vpclmul256, Vpclmul512 };

using CrcFunction = uint32_t (*)(uint32_t, const void*, uint32_t);

bool CrcPathSupported(CrcPath path);
CrcFunction CrcPathFunction(CrcPath path);
const char* CrcPathName(CrcPath path);
// The path UpdateCRC32 uses on this processor.
CrcPath SelectedCrcPath();
