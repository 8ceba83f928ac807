// The system's 8-bit ANSI code page, in which older lists are written: their
// text becomes UTF-8 when it is read, and a results file of such a list goes
// back into it. Windows converts with the ANSI code page of the system
// (CP_ACP); the native build, which has no such thing, stands in with
// Latin-1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Appends the UTF-8 form of `size` bytes of ANSI text to `out` (every byte
// maps to something; Latin-1 natively).
void AppendAnsiAsUtf8(const char* ansi, size_t size, std::string* out);

// Appends the ANSI form of `size` bytes of UTF-8 to `out`; a character the
// code page lacks becomes '?' (never a best-fit look-alike).
void AppendUtf8AsAnsi(const char* utf8, size_t size, std::string* out);
