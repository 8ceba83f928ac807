// The text rules of the verifier's settings: on-words and off-words, the
// ExpireTime durations, the generated Signature and the settings file's
// place beside the executable.
#pragma once

#include <cstddef>
#include <cstdint>

// True when the value starts with '1' or is "yes", "true" or "on" (any case).
bool IsOnWord(const char* value);

// True (the setting is off) when the value starts with '0' or is "no",
// "false" or "off" (any case).
bool IsOffWord(const char* value);

// "1d 3h 15m 20s" and the like: each number followed by d, h, m or s adds
// that many seconds (32-bit arithmetic, wrapping); returns 100-ns ticks.
uint64_t ParseExpireTime(const char* text);

// The Signature of a new installation: the FILETIME as lower-case hex
// without leading zeros.
void FormatSignature(uint64_t fileTime, char* out, size_t capacity);

// The module path with everything from the first '.' of its file-name part
// replaced by ".ini" (unchanged when that part has no '.'). False when the
// result would not fit.
bool IniPathFromModulePath(const char* modulePath, char* out, size_t capacity);
