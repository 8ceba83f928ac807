// The outcome of hashing one list entry, given by the file hasher in each
// file's result and turned into result lines by the run.
#pragma once

#include <cstdint>

enum EntryStatus : uint32_t {
  Hashed = 0,          // read to the end, checksum computed
  FileMissing = 1,     // "File does not exist"
  ReadError = 2,       // "Error reading file"
  Unresolved = 3,      // "Could not resolve filename"
  LengthMismatch = 4,  // "File length mismatch"
  NotOpened = 5,       // "Network or device path not opened": a list's name on
                       // another machine, or a device, is never opened
};

// The result-line message of a failed status; "Internal allocation error" for
// any value outside the table. Not meaningful for Hashed.
const char* EntryStatusMessage(uint32_t status);
