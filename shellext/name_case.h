// Names compared as the system compares file names without regard to case:
// the upper-case forms of their UTF-16 units, unit by unit. The Windows
// build asks the system (CompareStringOrdinal with case ignored, and the
// invariant upper-case mapping for the look-up's hash); the native build,
// which has no such tables, folds the ASCII letters only and compares every
// other byte as it is.
//
// Callers go through CompareNoCase and HashNameNoCase (list_name.h), which
// answer ASCII text themselves and come here from the first byte that is not.
#pragma once

#include <cstddef>
#include <cstdint>

// <0, 0 or >0 for two UTF-8 texts of the given lengths.
int CompareUnicodeNoCase(const char* a, size_t aLength, const char* b, size_t bLength);

// FNV-1a continued from `hash` over the upper-case UTF-16 units of `text`,
// one unit per step (so an ASCII unit hashes as its byte would).
uint32_t HashUnicodeNoCase(const char* text, size_t length, uint32_t hash);
