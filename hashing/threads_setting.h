// The text rule of the "Threads" setting in the [Corvana] section.
#pragma once

#include <cstdint>

// The largest value the setting keeps; more files at once than this are
// never asked for (and fewer are ever hashed, see FilesAtOnce).
constexpr uint32_t kMaxThreadsSetting = 9999;

// The number at the start of the value after any blanks and tabs, with an
// optional '+', ignoring what follows it ("2", " 4 ", "8 threads"); 0 (let
// the storage decide) for an empty or missing value, a sign '-', or text
// that does not start with a digit. Values above kMaxThreadsSetting give
// kMaxThreadsSetting.
uint32_t ParseThreadsSetting(const char* value);
