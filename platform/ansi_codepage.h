// Conversion of UTF-16 text (the names in PAR files) to the system's 8-bit
// ANSI code page, in which all text of the system is kept.
#pragma once

#include <cstdint>

// Converts `count` UTF-16 units to `out` (at most `capacity` bytes, no
// terminator added) and returns the number of bytes written, or -1 when the
// result does not fit. Characters the code page lacks become its default
// replacement character.
//
// Windows converts with the ANSI code page of the system (CP_ACP). The native
// build, which has no such thing, stands in with Latin-1: units below 256 map
// to that byte, every other unit to '?'.
int32_t ConvertUtf16ToAnsi(const uint16_t* units, uint32_t count, char* out, uint32_t capacity);
