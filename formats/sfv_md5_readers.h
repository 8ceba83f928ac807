// Readers of the lines with a name and a checksum: SFV lists, "CRC Values for "
// text lists and MD5 lists. Each returns > 0 for an entry and passes on what
// the line reader returned (0 at the end, -1 on a read failure) otherwise.
#pragma once

#include <cstdint>

#include "formats/list_reader.h"
#include "platform/file.h"

// The line is read into `name` (lines up to nameSize - 1 bytes) and trimmed
// there. The checksum is behind the last space; the name loses its trailing
// white space and its double quotes. Returns the line length.
int32_t ReadSfvEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, uint32_t* crc);

// As ReadSfvEntry, but hyphens before the checksum are trimmed as well.
int32_t ReadTextCrcEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                         uint64_t* expectedSize, uint32_t* crc);

// "<32 hex digits> <'*' or ' '><name>". `expectedSize` and `digest` may be
// null (the counting pass); then they are not stored. Returns the length of
// the name, so an empty name ends the list.
int32_t ReadMd5Entry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                     uint64_t* expectedSize, unsigned char* digest);
