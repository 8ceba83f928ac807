// The line reader that every text list and the database lines build on, and
// the 64-bit file-position helpers used to rewrite or truncate lists in place.
#pragma once

#include <cstdint>

#include "platform/file.h"

// Reads the next non-empty line into `buffer` (at most bufferSize - 1 bytes,
// zero-terminated, without its terminator) and returns its length; 0 when no
// line is left, -1 on a read failure. The file position afterwards stands
// exactly behind the line's terminator.
//
// A chunk of kLineChunk (512) bytes is read at a time. A line ends at the first LF of the
// chunk; only a chunk without any LF ends a line at its first CR (so CR-only
// files read line by line while a CR inside an LF-terminated line stays).
// Trailing CRs and LFs are stripped. Lines whose first byte is zero count as
// empty and are never returned.
//
// A line longer than the buffer keeps its first bufferSize - 1 bytes; the
// rest of it, up to and including its terminator, is read and discarded, so
// the tail of a long line never comes back as a line of its own (it would be
// taken for an entry with a wrong name). `*cut`, when given, tells whether
// that happened.
int32_t ReadListLine(NativeFile file, char* buffer, int32_t bufferSize, bool* cut = nullptr);

// The same for a UTF-16 text: the line's units go into `buffer` as bytes in
// the file's byte order (`bigEndian`); lengths and positions are in bytes.
// A line ends at the first LF unit of a read, or at its first CR unit when
// the read holds no LF unit; trailing CR and LF units are stripped and a line
// whose first unit is zero counts as empty.
int32_t ReadListLineUtf16(NativeFile file, bool bigEndian, char* buffer, int32_t bufferSize,
                          bool* cut = nullptr);

// The current position; 0 when the system cannot tell.
uint64_t GetFilePosition(NativeFile file);

// Moves to an absolute position and returns it (the current position when the
// move fails).
uint64_t SetFilePosition(NativeFile file, uint64_t position);
