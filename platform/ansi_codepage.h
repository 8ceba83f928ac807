// The system's 8-bit ANSI code page, in which older lists are written: their
// text becomes UTF-8 when it is read, and a results file of such a list goes
// back into it. Windows converts with the ANSI code page of the system
// (CP_ACP); the native build, which has no such thing, stands in with
// Latin-1. These are the system's only conversions to and from that code
// page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Appends the UTF-8 form of `size` bytes of ANSI text to `out`. False, with
// `out` unchanged, when the bytes are not valid text of the code page (a
// double-byte code page's lead byte without its trail byte, an unassigned
// pair): nothing is ever put in the place of such a byte.
bool AppendAnsiAsUtf8(const char* ansi, size_t size, std::string* out);

// Appends the ANSI form of `size` bytes of UTF-8 to `out`; never a best-fit
// look-alike. With `exact` false, a character the code page lacks becomes
// '?' (a results file's line); with `exact` true, such a character makes the
// call return false with `out` unchanged (a name that must come back the
// same when it is read).
bool AppendUtf8AsAnsi(const char* utf8, size_t size, std::string* out, bool exact = false);
