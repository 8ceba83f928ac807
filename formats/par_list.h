// PAR version 1.0 index files used as checksum lists: the header check, the
// file-list reader and the rewrite of the verified bits in the status fields.
#pragma once

#include <cstdint>

#include "formats/list_reader.h"
#include "platform/file.h"

enum class ParCheck { Valid, Invalid, TooShort };

// From offset 0: reads the 96-byte header into reader->ParHeader and checks
// the identification and the control hash (the MD5 of the file from offset 32
// to its end). A file shorter than the header gives TooShort: no decision is
// made and the position is left at the end of the file, so reading finds no
// entries. Otherwise the file is positioned at the file-list offset.
ParCheck CheckParHeader(ListReader* reader, NativeFile file);

// Reads the file entry at the current position into reader->ParEntry and its
// name, converted to UTF-8, into `name`. Returns 1 for an entry,
// 0 when the list has ended: a read cut short, an entry size below 56, a name
// part larger than the entry buffer, or a name that converts to more than
// nameSize - 1 bytes. (Such an entry's size field cannot be trusted, so the
// list ends there instead of skipping to a position that may be wrong.)
int32_t ReadParEntry(ListReader* reader, NativeFile file, char* name, int32_t nameSize);

// Fields of the entry last read.
uint32_t ParEntrySize(const ListReader& reader);  // the low 32 bits, as used
uint64_t ParEntryStatus(const ListReader& reader);
uint64_t ParEntryFileSize(const ListReader& reader);
const unsigned char* ParEntryMd5(const ListReader& reader);

constexpr uint64_t kParVerifiedBit = 2;  // bit 1 of the status: verified successfully

// Whether entry k (from 0, in file order) is to carry the verified bit.
using ParDecision = bool (*)(void* context, uint32_t k);

// Opens `path` for reading and writing without sharing, sets or clears bit 1
// of every entry's status as `decide` says, and writes the new control hash.
// Returns false when the file cannot be opened (it is then untouched) or a
// write fails.
bool RewriteParStatus(const char* path, uint64_t fileListOffset, ParDecision decide, void* context);

// The MD5 of the file from `from` to its end, in 512-byte reads.
void HashFileFrom(NativeFile file, uint64_t from, unsigned char digest[16]);
