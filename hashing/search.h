// Case-insensitive search in a byte buffer.
#pragma once

#include <cstdint>

// 0xDF for 'a'..'z', 0xFF for every other byte: a byte folded to upper case is
// the byte AND its mask, so only ASCII letters fold.
extern const unsigned char ToUpperTable[256];

// A byte folded to upper case (ASCII letters only).
inline char FoldToUpper(char c) {
  return static_cast<char>(c & ToUpperTable[static_cast<unsigned char>(c)]);
}

// Returns the leftmost position in buffer[0, length) where `pattern`
// (zero-terminated) matches ignoring ASCII case, or nullptr. An empty pattern
// matches at the start; a buffer shorter than the pattern matches nothing; a
// match never runs past `length`.
const char* szSearchi(const char* buffer, uint32_t length, const char* pattern);
