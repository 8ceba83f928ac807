// Readers of ".crc" lists: the column tables of JPEG Sheriff and the binary
// record lists.
#pragma once

#include <cstdint>

#include "formats/list_reader.h"
#include "platform/file.h"

// From the current position, reads lines up to the first that starts with "-"
// and derives the table's columns from it. The position stays behind the dash
// line. `reader->Sheriff.Found` is false when there is no such line or it has
// fewer than four dash groups; such a table yields no entries. The columns
// count characters; rows are read in the list's encoding.
void FindSheriffLayout(ListReader* reader, NativeFile file);

// Reads one table row into `name` and trims it there; returns the row's
// length, or 0 at the closing dash line (and the position then moves to the
// end of the file so that nothing behind the table is read).
int32_t ReadSheriffEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                         uint64_t* expectedSize, uint32_t* crc);

// Reads one record from the current position and returns 1; folder records
// and records whose ANSI name would not fit `name` as UTF-8 are passed over. Returns 0 at the end:
// an empty name, or a record cut short.
int32_t ReadBinaryCrcEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                           uint64_t* expectedSize, uint32_t* crc);
