// Readers of the text lists that carry a size as well as a CRC-32: CKZ version
// 2 lists ("name|any|size|crc") and comma-separated lists ("name,size,crc").
// Both read each line into the reader's own line buffer (kOwnLineBuffer) and
// return 1 for an entry, or what the line reader returned at the end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/list_reader.h"
#include "platform/file.h"

int32_t ReadCkzEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, uint32_t* crc);

// Copies the CSV field at `*cursor` into `out` (at most outSize - 1 bytes) and
// moves the cursor behind the field's comma and the white space after it.
// Returns the field's length; 0 when the field is empty, its quote is not
// closed or it does not fit `out`.
size_t NextCsvField(const char** cursor, char* out, size_t outSize);

int32_t ReadCsvEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, uint32_t* crc);

// True when the first non-empty line is "CKZ00000002" (ASCII case ignored);
// the position stays behind that line.
bool CheckCkzHeader(const ListReader& reader, NativeFile file);
