// The previously-verified database inside list files: loading and storing the
// ";Q2-" lines of SFV lists, and clearing the database of SFV and PAR lists.
// The lines always end the list; storing touches nothing before them.
#pragma once

#include <cstdint>

#include "formats/list_entry.h"
#include "platform/file.h"
#include "verifier/database_lines.h"
#include "verifier/verified_bitmap.h"

// Reads the list from its start up to and through its database lines, fills
// `bitmap` and `*scan` (scan->disableDatabase: verify every entry), and
// returns the list to its start. False when the list could not be read back
// to its start.
bool LoadSfvDatabase(NativeFile list, const DatabaseContext& context, VerifiedBitmap* bitmap,
                     DatabaseScan* scan);

// Replaces the database at the end of the list at `path` with the lines for
// `entriesReached` entries (signature, `time`, the bitmap). The list is opened
// without sharing; when that fails, or reading it fails, nothing is written
// and false is returned. A list that does not end with a line break gets
// "\r\n" first. Entry lines that a user added after an earlier database are
// kept (moved in front of the new database); comment lines there are dropped.
bool StoreSfvDatabase(const char* path, const char* signature, uint64_t time,
                      const VerifiedBitmap& bitmap, uint32_t entriesReached);

// "C&lear All DB Info": an SFV list loses its database lines (a list without
// any is left as it is); a PAR list gets every verified bit cleared and its
// control hash rewritten, but only when it passes its header check, so a
// damaged PAR file is never made to look intact. Other formats: nothing.
// False when the list could not be opened for writing.
bool ClearDatabase(const char* path, ListFormat format);

// For the PAR status rewrite: entry k keeps its bit when the bitmap has it.
bool BitmapDecision(void* bitmap, uint32_t k);
