// UTF-8, the form every text of the system takes inside it, and UTF-16, the
// form of Windows' wide calls and of PAR names. Portable: the conversions are
// the system's own so that the native tests run them as Windows does.
//
// Windows names may hold unpaired surrogates; they are carried through as
// their three-byte generalized-UTF-8 form so that any name Windows can list
// comes back to the same name when it is opened again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when every byte is below 0x80.
bool IsAsciiText(const char* text, size_t size);

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(const char* text, size_t size);

// Appends the UTF-8 form of `count` UTF-16 units to `out`.
void AppendUtf16AsUtf8(const uint16_t* units, size_t count, std::string* out);

// Appends the UTF-16 form of `size` bytes of UTF-8 to `out`. A byte that
// starts no valid sequence becomes U+FFFD, so the result never names a file
// the text did not.
void AppendUtf8AsUtf16(const char* text, size_t size, std::u16string* out);

// The UTF-8 form of `count` units into `out` (at most `capacity` bytes, no
// terminator added); the number of bytes written, or -1 when they do not fit.
int32_t ConvertUtf16ToUtf8(const uint16_t* units, uint32_t count, char* out, uint32_t capacity);
// The UTF-16 form of `size` bytes of UTF-8 into `out` (at most `capacity`
// units, no terminator added), the units AppendUtf8AsUtf16 gives, without
// allocating; the number of units written, or -1 when they do not fit.
int32_t ConvertUtf8ToUtf16(const char* text, uint32_t size, uint16_t* out, uint32_t capacity);
