// Base64 with the standard alphabet of RFC 4648 ("A"-"Z", "a"-"z", "0"-"9",
// "+", "/"), "=" padding and no line breaks. The database lines kept inside
// lists and the stored window placement and column widths use it.
#pragma once

#include <cstddef>

// Characters of the encoding of `size` bytes, without the terminating zero.
constexpr size_t Base64EncodedLength(size_t size) {
  return (size + 2) / 3 * 4;
}

// Writes the encoding of `size` bytes of `data` to `out` followed by a zero
// byte and returns the number of characters written (without the zero). When
// `capacity` cannot hold Base64EncodedLength(size) + 1 characters nothing but
// an empty string is written and 0 is returned, so a short buffer never gets
// a cut, undecodable text.
size_t Base64Encode(const void* data, size_t size, char* out, size_t capacity);

// Decodes `text` after any leading blanks and tabs, up to its first character
// outside the alphabet (padding, the end of the string or anything else).
// Stores at most `capacity` bytes in `out` and returns the number of bytes
// stored. A trailing group of two or three characters gives one or two bytes;
// a single trailing character carries no whole byte and gives none.
size_t Base64Decode(const char* text, void* out, size_t capacity);

// Decodes the alphabet characters at the very start of `text` (`length`
// bytes, not necessarily terminated; no blanks skipped), up to the first
// character outside the alphabet, the end of `text`, or the character that
// completes byte `capacity`. Stores the bytes in `out` as Base64Decode does
// and sets `*used` to the number of characters read.
size_t Base64DecodeRun(const char* text, size_t length, void* out, size_t capacity, size_t* used);
